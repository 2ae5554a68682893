// The watermark's options, its font and its filter, without the encoder.
#include "jobs/watermark.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cmath>

#include "support/never_stopped.h"
#include "support/temp_dir.h"

namespace mivora {
namespace {

TEST(WatermarkPosition, NamesRoundTripAndOthersAreRejected) {
  const char* names[] = {"top-left", "top",         "top-right", "left",        "center",
                         "right",    "bottom-left", "bottom",    "bottom-right"};
  for (const char* name : names) {
    std::optional<WatermarkPosition> position = ParseWatermarkPosition(name);
    ASSERT_TRUE(position.has_value()) << name;
    EXPECT_EQ(WatermarkPositionName(*position), name);
  }
  for (const char* other : {"", "Top-Left", "topleft", "middle", "centre", "bottom-right "}) {
    EXPECT_FALSE(ParseWatermarkPosition(other).has_value()) << other;
  }
}

TEST(WatermarkColor, HexOrTheEncodersNames) {
  struct Case {
    const char* color;
    bool valid;
  } cases[] = {
      {"white", true},     {"WHITE", true},    {"DarkOrange", true}, {"lightgrey", true},
      {"#ffffff", true},   {"#A0b1C2", true},  {"lightgray", false}, {"#fff", false},
      {"#fffffff", false}, {"#gggggg", false}, {"0xffffff", false},  {"white@0.5", false},
      {"red:x=0", false},  {"", false},        {"白色", false},      {"random", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsWatermarkColor(c.color), c.valid) << c.color;
}

TEST(WatermarkProblem, NamesWhatCannotBeDrawn) {
  using Change = void (*)(WatermarkOptions&);
  struct Case {
    Change change;
    const char* problem;
  } cases[] = {
      {[](WatermarkOptions&) {}, ""},
      {[](WatermarkOptions& o) {
         o.enabled = false;
         o.text.clear();
         o.size = 0;
       },
       ""},
      {[](WatermarkOptions& o) {
         o.size = 8;
         o.opacity = 0;
         o.margin = 600;
       },
       ""},
      {[](WatermarkOptions& o) { o.text.clear(); }, "文本水印已开启，但没有填写水印文字"},
      {[](WatermarkOptions& o) { o.size = 7; }, "水印字号须在 8 到 400 之间"},
      {[](WatermarkOptions& o) { o.size = 401; }, "水印字号须在 8 到 400 之间"},
      {[](WatermarkOptions& o) { o.color = "blau"; },
       "水印颜色无效：blau（可用 #RRGGBB 或颜色名，如 white）"},
      {[](WatermarkOptions& o) { o.opacity = 1.01; }, "水印不透明度须在 0 到 1 之间"},
      {[](WatermarkOptions& o) { o.opacity = std::nan(""); }, "水印不透明度须在 0 到 1 之间"},
      {[](WatermarkOptions& o) { o.margin = -1; }, "水印边距须在 0 到 600 之间"},
  };
  for (const Case& c : cases) {
    WatermarkOptions options;
    options.enabled = true;
    options.text = "@我的账号";
    c.change(options);
    EXPECT_EQ(WatermarkProblem(options), c.problem);
  }
}

TEST(WatermarkFilter, AnchorsMarginColourAndTheTextOnlyByFile) {
  struct Case {
    WatermarkPosition position;
    const char* x;
    const char* y;
  } cases[] = {
      {WatermarkPosition::kTopLeft, "30", "30"},
      {WatermarkPosition::kTop, "(w-text_w)/2", "30"},
      {WatermarkPosition::kTopRight, "w-text_w-30", "30"},
      {WatermarkPosition::kLeft, "30", "(h-text_h)/2"},
      {WatermarkPosition::kCenter, "(w-text_w)/2", "(h-text_h)/2"},
      {WatermarkPosition::kRight, "w-text_w-30", "(h-text_h)/2"},
      {WatermarkPosition::kBottomLeft, "30", "h-text_h-30"},
      {WatermarkPosition::kBottom, "(w-text_w)/2", "h-text_h-30"},
      {WatermarkPosition::kBottomRight, "w-text_w-30", "h-text_h-30"},
  };
  CjkFont font{"Noto Sans CJK SC", "/fonts/x.ttc", ""};
  for (const Case& c : cases) {
    WatermarkOptions options;
    options.enabled = true;
    options.text = "'%{pts}:[a]";
    options.position = c.position;
    options.margin = 30;
    options.size = 52;
    options.color = "#FF8800";
    options.opacity = 0.5;
    std::string filter = WatermarkFilter(options, font, "/w/it's [1]:a.txt");
    SCOPED_TRACE(filter);
    EXPECT_EQ(filter.rfind("drawtext=", 0), 0u);
    EXPECT_NE(filter.find(std::string(":x=") + c.x + ":y=" + c.y), std::string::npos);
    for (const char* part : {"font=Noto\\\\\\ Sans", ":expansion=none:", ":fontsize=52:",
                             ":fontcolor=#FF8800@0.50:", "textfile=/w/it\\\\\\'s\\\\\\ \\[1\\]"}) {
      EXPECT_NE(filter.find(part), std::string::npos) << part;
    }
    EXPECT_EQ(filter.find("%{pts}"), std::string::npos);
  }
}

TEST(CjkFont, FoundThroughFontconfigOrAClearError) {
  CjkFont font = FindCjkFont(test::NeverStopped());
  ASSERT_EQ(font.error, "") << "the build machine has fonts-noto-cjk";
  EXPECT_FALSE(font.family.empty());
  EXPECT_TRUE(std::filesystem::exists(font.file)) << font.file;

  // A font configuration with Latin fonts alone: fontconfig still names a
  // font, but none that draws Chinese.
  test::TempDir dir;
  test::WriteFile(dir / "fonts.conf",
                  "<?xml version=\"1.0\"?>\n<fontconfig><dir>/usr/share/fonts/truetype/dejavu</dir>"
                  "<cachedir>" +
                      (dir / "cache").string() + "</cachedir></fontconfig>\n");
  const char* before = getenv("FONTCONFIG_FILE");
  std::string saved = before ? before : "";
  setenv("FONTCONFIG_FILE", (dir / "fonts.conf").c_str(), 1);
  CjkFont none = FindCjkFont(test::NeverStopped());
  if (before) {
    setenv("FONTCONFIG_FILE", saved.c_str(), 1);
  } else {
    unsetenv("FONTCONFIG_FILE");
  }
  EXPECT_EQ(none.error, "找不到中文字体：请安装 fonts-noto-cjk");
  EXPECT_EQ(none.family, "");
}

}  // namespace
}  // namespace mivora
