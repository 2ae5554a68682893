// Tab control with full-size pages (see tab_control.h).
#include "app/qt/tab_control.h"

#include <QFrame>
#include <QTabBar>

namespace mivora {

TabControl::TabControl(QWidget* parent)
    : QWidget(parent), bar_(new QTabBar(this)), pane_(new QFrame(this)) {
  pane_->setObjectName("tabPane");
  pane_->setFrameShape(QFrame::StyledPanel);
  bar_->setExpanding(false);
  bar_->setDrawBase(false);
  connect(bar_, &QTabBar::currentChanged, this, &TabControl::ShowPage);
}

QWidget* TabControl::AddPage(const QString& caption) {
  auto* page = new QWidget(this);
  page->setGeometry(rect());
  page->setVisible(pages_.empty());
  pages_.push_back(page);
  bar_->addTab(caption);
  // Pages are stacked above the pane but below the tab bar, which must keep
  // its clicks although every page spans it.
  pane_->lower();
  bar_->raise();
  return page;
}

void TabControl::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  bar_->setGeometry(0, 0, width(), kBarHeight);
  pane_->setGeometry(0, kBarHeight - 1, width(), height() - kBarHeight + 1);
  for (QWidget* page : pages_) page->setGeometry(rect());
}

void TabControl::ShowPage(int index) {
  for (int i = 0; i < PageCount(); ++i) pages_[i]->setVisible(i == index);
}

}  // namespace mivora
