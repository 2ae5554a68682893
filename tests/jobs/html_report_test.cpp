// What keeps a file name from breaking or scripting the batch page: the
// escaping of its texts and the URLs of its links and pictures.
#include <gtest/gtest.h>

#include "jobs/html_report.h"

namespace mivora {
namespace {

TEST(HtmlReport, NoNameCanEndAnAttributeOrStartAScheme) {
  struct Case {
    const char* text;
    const char* escaped;
    const char* encoded;
  };
  const Case cases[] = {
      {"plain-name_1.~mp4", "plain-name_1.~mp4", "plain-name_1.~mp4"},
      {"a<b>&'\"c", "a&lt;b&gt;&amp;&#39;&quot;c", "a%3Cb%3E%26%27%22c"},
      {"/dir with space/x#y?z.mp4", "/dir with space/x#y?z.mp4",
       "/dir%20with%20space/x%23y%3Fz.mp4"},
      {"javascript:alert(1)", "javascript:alert(1)", "javascript%3Aalert%281%29"},
      {"视频", "视频", "%E8%A7%86%E9%A2%91"},
      {"100%.mp4", "100%.mp4", "100%25.mp4"},
      {"&amp;", "&amp;amp;", "%26amp%3B"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(HtmlEscape(c.text), c.escaped) << c.text;
    EXPECT_EQ(PercentEncode(c.text), c.encoded) << c.text;
  }
  EXPECT_EQ(FileUrl("/h/生成 视频/a'b.mp4"),
            "file:///h/%E7%94%9F%E6%88%90%20%E8%A7%86%E9%A2%91/a%27b.mp4");
  EXPECT_EQ(PictureFolder("/r/批量.html"), std::filesystem::path("/r/批量_files"));
}

}  // namespace
}  // namespace mivora
