// A tab control whose pages span the whole control, tab bar included, so the
// controls on a page are placed relative to the control's own top-left corner
// (the tab bar covers the top strip of every page, where no control sits).
#pragma once

#include <QString>
#include <QWidget>
#include <vector>

class QFrame;
class QTabBar;

namespace mivora {

class TabControl : public QWidget {
  Q_OBJECT

 public:
  // The tab bar is this tall; controls on a page start below it.
  static constexpr int kBarHeight = 30;

  explicit TabControl(QWidget* parent);

  // Adds a page at the end and returns it; the first page is shown.
  QWidget* AddPage(const QString& caption);
  int PageCount() const { return static_cast<int>(pages_.size()); }
  QWidget* Page(int index) const { return pages_.at(index); }
  QTabBar* Bar() const { return bar_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void ShowPage(int index);

  QTabBar* bar_;
  QFrame* pane_;
  std::vector<QWidget*> pages_;
};

}  // namespace mivora
