// The program's built-in look: a style sheet carried inside the program as a
// resource, applied once when the main window has been created.
#pragma once

#include <QString>

class QApplication;

namespace mivora {

inline constexpr const char* kThemeResource = ":/mivora/theme.qss";

// Sets the style sheet read from `resource` on the whole application. When it
// cannot be read, nothing changes and the window keeps the plain look.
void ApplyTheme(QApplication& app, const QString& resource = kThemeResource);

}  // namespace mivora
