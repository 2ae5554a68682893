// The "文本水印" page on Qt's offscreen platform: its controls come from the
// settings file and go back to it, its colour button, and its preview.
#include "app/qt/watermark_page.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <memory>

#include "app/qt/main_window.h"
#include "app/qt/tab_control.h"
#include "app/qt/watermark_preview.h"
#include "support/temp_dir.h"

namespace mivora {
namespace {

const QString kHostileText = QString::fromUtf8("@小明 \"100%\", a=b; [x] C:\\d 😀");

class WatermarkPageTest : public testing::Test {
 protected:
  // The settings file lives under XDG_CONFIG_HOME, which must be set before
  // anything in the process opens the settings.
  static void SetUpTestSuite() {
    config_ = new test::TempDir();
    setenv("XDG_CONFIG_HOME", config_->path().c_str(), 1);
  }
  static void TearDownTestSuite() {
    delete config_;
    config_ = nullptr;
  }

  void SetUp() override { std::filesystem::remove_all(config_->path() / "Mivora"); }

  static QString SettingsFile() {
    return QString::fromStdString((config_->path() / "Mivora" / "mivora.conf").string());
  }

  static void WriteSettings(const std::vector<std::pair<const char*, QVariant>>& values) {
    QSettings file(SettingsFile(), QSettings::IniFormat);
    for (const auto& [key, value] : values) file.setValue(key, value);
  }

  template <typename Control>
  Control* Find(QWidget& page, const char* name) {
    auto* control = page.findChild<Control*>(name);
    EXPECT_NE(control, nullptr) << name;
    return control;
  }

  static test::TempDir* config_;
  QWidget host;
};

test::TempDir* WatermarkPageTest::config_ = nullptr;

TEST_F(WatermarkPageTest, ControlsShowTheSettingsFileAndWriteChangesBack) {
  WriteSettings({{"watermark/enabled", true},
                 {"watermark/text", kHostileText},
                 {"watermark/position", "top-left"},
                 {"watermark/size", 56},
                 {"watermark/color", "DarkOrange"},
                 {"watermark/opacity", 0.55},
                 {"watermark/margin", 40}});
  WatermarkPage page(&host);
  EXPECT_TRUE(Find<QCheckBox>(page, "选择框_文本水印")->isChecked());
  EXPECT_EQ(Find<QLineEdit>(page, "编辑框_水印文字")->text(), kHostileText);
  EXPECT_EQ(Find<QComboBox>(page, "组合框_水印位置")->currentText(), "左上");
  EXPECT_EQ(Find<QSpinBox>(page, "调节框_水印字号")->value(), 56);
  EXPECT_TRUE(Find<QPushButton>(page, "按钮_水印颜色")->text().contains("DarkOrange"));
  EXPECT_EQ(Find<QSpinBox>(page, "调节框_水印不透明度")->value(), 55);
  EXPECT_EQ(Find<QSpinBox>(page, "调节框_水印边距")->value(), 40);
  EXPECT_EQ(page.Options().text, kHostileText.toStdString());
  EXPECT_EQ(WatermarkProblem(page.Options()), "");

  Find<QLineEdit>(page, "编辑框_水印文字")->setText(QString::fromUtf8("新的'水印':%{pts}"));
  Find<QComboBox>(page, "组合框_水印位置")->setCurrentText("底部居中");
  Find<QSpinBox>(page, "调节框_水印字号")->setValue(72);
  Find<QSpinBox>(page, "调节框_水印不透明度")->setValue(30);
  Find<QSpinBox>(page, "调节框_水印边距")->setValue(0);
  Find<QCheckBox>(page, "选择框_文本水印")->setChecked(false);
  EXPECT_FALSE(Find<QLineEdit>(page, "编辑框_水印文字")->isEnabled());

  QSettings file(SettingsFile(), QSettings::IniFormat);
  EXPECT_EQ(file.value("watermark/enabled").toBool(), false);
  EXPECT_EQ(file.value("watermark/text").toString(), QString::fromUtf8("新的'水印':%{pts}"));
  EXPECT_EQ(file.value("watermark/position").toString(), "bottom");
  EXPECT_EQ(file.value("watermark/size").toInt(), 72);
  EXPECT_EQ(file.value("watermark/color").toString(), "DarkOrange");
  EXPECT_DOUBLE_EQ(file.value("watermark/opacity").toDouble(), 0.3);
  EXPECT_EQ(file.value("watermark/margin").toInt(), 0);
}

TEST_F(WatermarkPageTest, UnusableSettingsGiveTheDefaults) {
  WriteSettings({{"watermark/position", "middle"},
                 {"watermark/color", "lightgray"},  // Qt's name, not the encoder's
                 {"watermark/opacity", "2"},
                 {"watermark/size", "big"}});
  WatermarkPage page(&host);
  WatermarkOptions options = page.Options();
  EXPECT_EQ(options.position, WatermarkPosition::kBottomRight);
  EXPECT_EQ(options.color, "white");
  EXPECT_DOUBLE_EQ(options.opacity, 0.8);
  EXPECT_EQ(options.size, 40);
  EXPECT_EQ(options.margin, 24);
}

TEST_F(WatermarkPageTest, ColourButtonTakesTheChosenColour) {
  WatermarkPage page(&host);
  QColor offered;
  QColor answer(0x11, 0x22, 0x33);
  page.SetColorChooser([&](const QColor& current) {
    offered = current;
    return answer;
  });
  Find<QCheckBox>(page, "选择框_文本水印")->setChecked(true);
  Find<QPushButton>(page, "按钮_水印颜色")->click();
  EXPECT_EQ(offered, QColor(Qt::white));
  EXPECT_EQ(page.Options().color, "#112233");
  EXPECT_EQ(QSettings(SettingsFile(), QSettings::IniFormat).value("watermark/color").toString(),
            "#112233");
  answer = QColor();  // cancelled
  Find<QPushButton>(page, "按钮_水印颜色")->click();
  EXPECT_EQ(page.Options().color, "#112233");
}

// The box around the pixels that differ between two pictures of one size.
QRect ChangedArea(const QImage& a, const QImage& b) {
  QRect area;
  for (int y = 0; y < a.height(); ++y) {
    for (int x = 0; x < a.width(); ++x) {
      if (a.pixel(x, y) != b.pixel(x, y)) area |= QRect(x, y, 1, 1);
    }
  }
  return area;
}

TEST_F(WatermarkPageTest, PreviewDrawsTheTextAtItsAnchor) {
  WatermarkPage page(&host);
  auto* preview = page.findChild<WatermarkPreview*>();
  ASSERT_NE(preview, nullptr);
  auto grab = [&] { return preview->grab().toImage(); };
  QImage plain = grab();
  ASSERT_EQ(plain.size(), QSize(WatermarkPreview::kWidth, WatermarkPreview::kHeight));
  Find<QLineEdit>(page, "编辑框_水印文字")->setText(QString::fromUtf8("水印ABC"));
  EXPECT_EQ(ChangedArea(plain, grab()), QRect()) << "drawn while turned off";

  Find<QCheckBox>(page, "选择框_文本水印")->setChecked(true);
  Find<QSpinBox>(page, "调节框_水印字号")->setValue(80);
  struct Case {
    const char* caption;
    QRect within;
  } cases[] = {
      {"左上", {0, 0, 135, 80}},
      {"右下", {135, 400, 135, 80}},
      {"正中", {0, 200, 270, 80}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.caption);
    Find<QComboBox>(page, "组合框_水印位置")->setCurrentText(c.caption);
    QRect changed = ChangedArea(plain, grab());
    ASSERT_FALSE(changed.isEmpty());
    EXPECT_TRUE(c.within.contains(changed))
        << changed.x() << "," << changed.y() << " " << changed.width() << "x" << changed.height();
  }
}

TEST_F(WatermarkPageTest, WindowCarriesThePageOnItsSeventhTab) {
  WriteSettings({{"watermark/enabled", true}, {"watermark/text", "@me"}});
  test::TempDir home;
  MainWindow window(home.path());
  auto* tabs = window.findChild<TabControl*>();
  ASSERT_NE(tabs, nullptr);
  auto* page = tabs->Page(6)->findChild<WatermarkPage*>();
  ASSERT_NE(page, nullptr);
  WatermarkOptions options = window.Watermark();
  EXPECT_TRUE(options.enabled);
  EXPECT_EQ(options.text, "@me");
}

}  // namespace
}  // namespace mivora
