// Applying the built-in style sheet.
#include "app/qt/theme.h"

#include <QApplication>
#include <QFile>

// The resource lives in a static library, whose registration would be dropped
// by the linker unless something refers to it; this must be outside any
// namespace. Called on the window's thread only.
static void RegisterThemeResource() {
  static bool registered = false;
  if (registered) return;
  Q_INIT_RESOURCE(theme);
  registered = true;
}

namespace mivora {

void ApplyTheme(QApplication& app, const QString& resource) {
  RegisterThemeResource();
  QFile file(resource);
  if (!file.open(QIODevice::ReadOnly)) return;
  app.setStyleSheet(QString::fromUtf8(file.readAll()));
}

}  // namespace mivora
