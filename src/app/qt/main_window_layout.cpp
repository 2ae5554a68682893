// How the main window's page follows the window's size. At its design size
// (the outer size less the frame) every control is where it was drawn; a
// larger window gives the extra width to the tab control, the log and the
// lists, the extra height to the tab pages and, for a third, the log, while
// the switches and the run buttons keep to the right edge. A window smaller
// than the page's minimum scrolls the page; the minimum keeps the run buttons
// beside the lists, so the window is never so narrow that Start scrolls away.
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QTreeWidget>
#include <algorithm>
#include <map>
#include <string_view>

#include "app/qt/main_window.h"
#include "app/qt/tab_control.h"

namespace mivora {
namespace {

// The design's tab control and the size of its pages.
constexpr QRect kDesignTabs(5, 6, 750, 576);
// Controls drawn from here rightwards follow the page's right edge.
constexpr int kRightColumnLeft = 760;
// The least the tab pages and the log are given.
constexpr int kLeastTabsWidth = 480;
constexpr int kLeastTabsHeight = 400;
// What a page keeps below the lowest control of the right column.
constexpr int kBottomMargin = 2;

// How a control on a tab page follows the page's growth.
enum class Anchor {
  kGrow,            // both ways: a list, the effect code, a page's panel
  kRight,           // moves with the right edge
  kRightTall,       // moves with the right edge and grows as tall as the page
  kTopHalf,         // the upper of two lists: wider, half the extra height
  kBottomHalf,      // the lower of two lists: below the upper one, the rest
  kRightLowerHalf,  // a button of the lower list
};

Anchor PageAnchor(std::string_view name) {
  static const std::map<std::string_view, Anchor> anchors = {
      {"按钮_导入视频剪辑", Anchor::kRightTall},
      {"按钮_导入图片剪辑", Anchor::kRightTall},
      {"按钮_导入音频文件", Anchor::kRightTall},
      {"超级列表框3", Anchor::kTopHalf},
      {"超级列表框6", Anchor::kTopHalf},
      {"超级列表框4", Anchor::kBottomHalf},
      {"超级列表框7", Anchor::kBottomHalf},
      {"按钮_导入片头", Anchor::kRight},
      {"按钮_导入绿幕特效", Anchor::kRight},
      {"按钮_清空绿幕特效", Anchor::kRight},
      {"按钮_导入片尾", Anchor::kRightLowerHalf},
      {"按钮_导入黑幕特效", Anchor::kRightLowerHalf},
      {"按钮_清空黑幕特效", Anchor::kRightLowerHalf},
  };
  // Everything else on a page (lists, the effect code, the pages' panels)
  // fills it as it grows.
  auto found = anchors.find(name);
  return found == anchors.end() ? Anchor::kGrow : found->second;
}

QRect Placed(QRect design, Anchor anchor, QSize growth) {
  const int dx = growth.width();
  const int dy = growth.height();
  const int half = dy / 2;
  switch (anchor) {
    case Anchor::kGrow:
      return design.adjusted(0, 0, dx, dy);
    case Anchor::kRight:
      return design.translated(dx, 0);
    case Anchor::kRightTall:
      return design.translated(dx, 0).adjusted(0, 0, 0, dy);
    case Anchor::kTopHalf:
      return design.adjusted(0, 0, dx, half);
    case Anchor::kBottomHalf:
      return design.translated(0, half).adjusted(0, 0, dx, dy - half);
    case Anchor::kRightLowerHalf:
      return design.translated(dx, half);
  }
  return design;
}

}  // namespace

QRect MainWindow::DesignPlace(QWidget* control) {
  // Taken the first time the control is laid out, which is before the page
  // ever leaves its design size.
  return designPlaces_.try_emplace(control, control->geometry()).first->second;
}

QSize MainWindow::MinimumPage() {
  int tabsWidth = kLeastTabsWidth;
  int tabsHeight = kLeastTabsHeight;
  // A page's panel (the watermark, the titles) is never squeezed below what
  // its own layout needs.
  for (int page = 0; page < tabs_->PageCount(); ++page) {
    for (QWidget* control :
         tabs_->Page(page)->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
      if (!control->layout()) continue;
      const QRect design = DesignPlace(control);
      const QSize least = control->minimumSizeHint();
      tabsWidth = std::max(tabsWidth, least.width() + kDesignTabs.width() - design.width());
      tabsHeight = std::max(tabsHeight, least.height() + kDesignTabs.height() - design.height());
    }
  }
  int rightBottom = 0;
  for (QWidget* control : content_->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
    const QRect design = DesignPlace(control);
    if (design.left() >= kRightColumnLeft && design.left() < designPage_.width() &&
        !control->isHidden()) {
      rightBottom = std::max(rightBottom, design.bottom() + 1);
    }
  }
  return {designPage_.width() + tabsWidth - kDesignTabs.width(),
          std::max(designPage_.height() + tabsHeight - kDesignTabs.height(),
                   rightBottom + kBottomMargin)};
}

void MainWindow::SetPageLimits(QSize room) {
  const QSize least = MinimumPage();
  content_->setMinimumSize(least);
  // Wide enough for the page beside a vertical scroll bar: the page then
  // scrolls up and down only, and the run buttons stay in sight. Only a
  // screen narrower than that makes the page scroll sideways.
  const int bar = scroll_->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, scroll_);
  setMinimumSize(
      QSize(least.width() + bar, std::min(least.height(), kLeastTabsHeight)).boundedTo(room));
}

void MainWindow::LayOutPage() {
  const QSize growth = content_->size() - designPage_;
  // A third of the extra height to the log, the rest to the pages; a page
  // lower than its design takes it all from the pages.
  const int logGrowth = std::max(0, growth.height() / 3);
  const QSize tabsGrowth(growth.width(), growth.height() - logGrowth);
  for (QWidget* control : content_->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
    const QRect design = DesignPlace(control);
    if (control == tabs_) {
      control->setGeometry(design.adjusted(0, 0, tabsGrowth.width(), tabsGrowth.height()));
    } else if (control == static_cast<QWidget*>(log_)) {
      control->setGeometry(
          design.translated(0, tabsGrowth.height()).adjusted(0, 0, growth.width(), logGrowth));
    } else if (design.left() >= kRightColumnLeft) {
      // The right column, and the hidden output box beyond the right edge.
      control->setGeometry(design.translated(growth.width(), 0));
    }
  }
  for (int page = 0; page < tabs_->PageCount(); ++page) {
    for (QWidget* control :
         tabs_->Page(page)->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
      const QRect design = DesignPlace(control);
      const QRect placed =
          Placed(design, PageAnchor(control->objectName().toStdString()), tabsGrowth);
      control->setGeometry(placed);
      if (auto* view = qobject_cast<QTreeWidget*>(control)) {
        WidenPathColumn(view, placed.width() - design.width());
      }
    }
  }
  ShowHome();
}

void MainWindow::WidenPathColumn(QTreeWidget* view, int growth) {
  // A wider list shows more of each path; the column keeps the width the
  // user gave it beside that, which is what is remembered.
  int& applied = pathColumnGrowth_[view];
  const int wanted = std::max(0, growth);
  // Not remembered as the user's own resize.
  const bool blocked = view->header()->blockSignals(true);
  view->setColumnWidth(kPathColumn, view->columnWidth(kPathColumn) - applied + wanted);
  view->header()->blockSignals(blocked);
  applied = wanted;
}

int MainWindow::RememberedColumnWidth(QTreeWidget* view, int column) const {
  auto grown = pathColumnGrowth_.find(view);
  const int growth = column == kPathColumn && grown != pathColumnGrowth_.end() ? grown->second : 0;
  return view->columnWidth(column) - growth;
}

}  // namespace mivora
