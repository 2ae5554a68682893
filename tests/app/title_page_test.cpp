// The "文案" page on Qt's offscreen platform: importing a title list from the
// home, its count and clearing, the options it hands a run, and the settings
// it keeps between starts.
#include "app/qt/title_page.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QTreeWidget>
#include <fstream>

#include "support/temp_dir.h"

namespace mivora {
namespace {

class TitlePageTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    config_ = new test::TempDir();
    setenv("XDG_CONFIG_HOME", config_->path().c_str(), 1);
  }
  static void TearDownTestSuite() {
    delete config_;
    config_ = nullptr;
  }
  void SetUp() override { std::filesystem::remove_all(config_->path() / "Mivora"); }

  void WriteList(const std::string& text) {
    std::ofstream(home / "文案.txt", std::ios::binary) << text;
  }
  std::unique_ptr<TitlePage> Page() {
    return std::make_unique<TitlePage>(&host, [this] { return home.path(); });
  }
  static QString Count(TitlePage& page) { return page.findChild<QLabel*>("标签_文案条数")->text(); }

  static test::TempDir* config_;
  test::TempDir home;
  QWidget host;
};

test::TempDir* TitlePageTest::config_ = nullptr;

TEST_F(TitlePageTest, ImportCountClearAndWhatARunGets) {
  struct Case {
    const char* what;
    std::string text;
    QString problem;
    int rows;
  };
  const std::vector<Case> cases = {
      {"a list with a bom, blank lines and a line break",
       "\xEF\xBB\xBF新品上市\\n限时折扣\r\n\r\n第二条\n", "", 2},
      {"blank lines only", "\n \n", "文案文件里没有文案：", 0},
  };
  for (const Case& c : cases) {
    WriteList(c.text);
    std::unique_ptr<TitlePage> page = Page();
    QString problem = page->Import(home / "文案.txt");
    EXPECT_TRUE(c.problem.isEmpty() ? problem.isEmpty() : problem.startsWith(c.problem))
        << c.what << ": " << problem.toStdString();
    auto* list = page->findChild<QTreeWidget*>("超级列表框_文案");
    ASSERT_EQ(list->topLevelItemCount(), c.rows) << c.what;
    EXPECT_EQ(Count(*page), QString("共 %1 条").arg(c.rows)) << c.what;
    EXPECT_EQ(page->Titles().size(), static_cast<std::size_t>(c.rows)) << c.what;
  }
  std::unique_ptr<TitlePage> page = Page();
  EXPECT_TRUE(page->Import(home / "missing.txt").startsWith("无法读取文案文件："));

  WriteList("新品上市\\n限时折扣\n第二条\n");
  ASSERT_TRUE(page->Import(home / "文案.txt").isEmpty());
  EXPECT_EQ(page->findChild<QTreeWidget*>("超级列表框_文案")->topLevelItem(0)->text(1),
            QString::fromUtf8("新品上市\\n限时折扣"));
  page->findChild<QCheckBox*>("选择框_加文案")->setChecked(true);
  page->findChild<QComboBox*>("组合框_文案位置")->setCurrentIndex(7);
  page->findChild<QComboBox*>("组合框_文案样式")->setCurrentIndex(1);
  TitleOptions options = page->Options();
  EXPECT_TRUE(options.enabled);
  EXPECT_EQ(page->Titles(), (std::vector<std::string>{"新品上市\n限时折扣", "第二条"}));
  EXPECT_EQ(options.position, WatermarkPosition::kBottom);
  EXPECT_EQ(options.style, TitleStyle::kBox);

  // A page built later shows what this one left.
  auto later = Page();
  TitleOptions again = later->Options();
  EXPECT_EQ(later->Titles(), page->Titles());
  EXPECT_TRUE(again.enabled);
  EXPECT_EQ(again.position, WatermarkPosition::kBottom);
  EXPECT_EQ(again.style, TitleStyle::kBox);

  page->Clear();
  EXPECT_EQ(Count(*page), "共 0 条");
  EXPECT_TRUE(Page()->Titles().empty());
}

}  // namespace
}  // namespace mivora
