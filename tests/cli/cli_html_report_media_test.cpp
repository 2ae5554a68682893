// The page of a batch, opened in a real browser from the file system: every
// output has its row and every picture of the strips loads, whatever the
// file names hold.
#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <regex>
#include <string>

#include "cli_process.h"
#include "jobs/html_report.h"
#include "runner/run_capture.h"
#include "support/media_maker.h"
#include "support/temp_dir.h"

namespace mivora {
namespace {

using test::RunCli;
using test::TempDir;

// Added to the test's own copy of the page, never to the page itself: counts
// the rows and the pictures the browser could decode, once all have loaded.
constexpr char kCheck[] = R"(<script>
addEventListener('load', () => {
  const images = [...document.images];
  const loaded = images.filter(i => i.complete && i.naturalWidth > 0).length;
  const out = document.createElement('pre');
  out.id = 'check';
  out.textContent = 'pictures ' + loaded + '/' + images.length + ' rows ' +
      document.querySelectorAll('tr.output').length;
  document.body.appendChild(out);
});
</script></body>)";

std::string Browse(const std::filesystem::path& page, const std::filesystem::path& profile) {
  RunToken token;
  CaptureResult result = RunCapture({"chromium", "--headless", "--no-sandbox", "--disable-gpu",
                                     "--no-first-run", "--user-data-dir=" + profile.string(),
                                     "--virtual-time-budget=10000", "--dump-dom", FileUrl(page)},
                                    token);
  EXPECT_TRUE(result.started) << result.output;
  return result.output;
}

TEST(CliHtmlReportMedia, EveryRowAndEveryPictureShowsInABrowser) {
  TempDir home;
  TempDir audio;
  TempDir report;
  const std::string odd = "a<b>&'\"c.mp4";
  const std::filesystem::path sources = home / "测试视频剪辑";
  ASSERT_TRUE(test::MakeClip(sources / odd, {3, 320, 240, 30, true, "testsrc2"}));
  test::WriteFile(sources / "broken.mp4", "no video in here");
  ASSERT_TRUE(test::MakeTone(audio / "a.mp3", 4));
  const std::filesystem::path titles = report / "titles.txt";
  test::WriteFile(titles, "<i>标题&'x'\n");
  auto args = [&](std::vector<std::string> more) {
    more.insert(more.end(), {"--all", "--seed", "9", "--titles", titles.string()});
    return test::RunArgs(home.path(), audio.path(), "特效7", more);
  };
  test::CliResult first = RunCli(args({}));
  ASSERT_EQ(first.exitCode, 1) << first.err;
  // The second run keeps the first one's video and makes a new source's.
  ASSERT_TRUE(test::MakeClip(sources / "z.mp4", {3, 320, 240, 30, true, "testsrc2"}));
  test::CliResult second = RunCli(args({"--skip-existing"}));
  ASSERT_EQ(second.exitCode, 1) << second.err;
  test::WriteFile(report / "1.json", first.out);
  test::WriteFile(report / "2.json", second.out);

  // A page name that needs escaping in a URL too.
  const std::filesystem::path page = report / "批量 & 'x'.html";
  test::CliResult made = RunCli({"report", "--html", page.string(), (report / "1.json").string(),
                                 (report / "2.json").string()});
  EXPECT_EQ(made.exitCode, 1) << made.err;  // one output failed
  const std::string html = test::ReadFile(page);
  EXPECT_EQ(html.find("<script"), std::string::npos);
  EXPECT_EQ(html.find("a<b>"), std::string::npos) << "a file name went into the page raw";
  EXPECT_NE(html.find("a&lt;b&gt;&amp;&#39;&quot;c.mp4"), std::string::npos);
  EXPECT_NE(html.find("<dt>文案</dt><dd>&lt;i&gt;标题&amp;&#39;x&#39;</dd>"), std::string::npos)
      << "each output's title, escaped";
  EXPECT_NE(html.find("href=\"file://" + PercentEncode((home / "生成视频剪辑").string()) +
                      "/a%3Cb%3E%26%27%22c.mp4\""),
            std::string::npos);
  EXPECT_NE(html.find("共 3 项：成功 1，跳过 1，失败 1，未完成 0"), std::string::npos);
  EXPECT_LT(html.find("broken.mp4"), html.find("z.mp4")) << "failures come first";

  const std::filesystem::path copy = report / "check.html";
  test::WriteFile(copy, std::regex_replace(html, std::regex("</body>"), kCheck));
  const std::string dom = Browse(copy, report / "profile");
  std::smatch check;
  ASSERT_TRUE(std::regex_search(dom, check, std::regex(R"(pictures (\d+)/(\d+) rows (\d+))")))
      << dom;
  EXPECT_EQ(check[3], "3") << "a row per output";
  EXPECT_EQ(check[2], std::to_string(2 * kStripPictures)) << "a strip per finished video";
  EXPECT_EQ(check[1], check[2]) << "pictures that did not load";
}

}  // namespace
}  // namespace mivora
