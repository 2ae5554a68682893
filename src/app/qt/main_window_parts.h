// What the main window's source files share: the lists' places and columns,
// the information box, the settings keys more than one of them uses, and how
// the core's texts are shown.
#pragma once

#include <QMessageBox>
#include <QRect>
#include <QString>
#include <string>
#include <vector>

#ifndef Q_MOC_RUN
#include "app/window_ops.h"
#endif

namespace mivora {

inline constexpr const char* kInfoCaption = "友情提示";
// QSettings keys used by more than one part of the window.
inline constexpr const char* kHomeKey = "paths/home";
inline constexpr const char* kPositionKey = "window/position";

// One media list: its page of the tab control, its place there, its columns.
struct ListLayout {
  ListView list;
  const char* name;
  int page;
  QRect rect;
  std::vector<const char*> headers;
  std::vector<int> widths;
};

// The seven lists in the order of their enumerators.
const std::vector<ListLayout>& ListLayouts();

// The window shows line breaks as "\n"; the core's texts use "\r\n".
QString ToDisplay(const std::string& text);

// An information box captioned "友情提示", wide enough for its caption.
QMessageBox* MakeInfoBox(const QString& text, QWidget* parent);

// Asks `question` with OK and Cancel, Cancel the default and the answer of
// Escape; true when OK was chosen.
bool AskBeforeEndingWork(QWidget* parent, const QString& question);

}  // namespace mivora
