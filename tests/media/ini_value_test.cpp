#include "media/ini_value.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace mivora {
namespace {

TEST(IniValue, ReadsAStringTheWayQSettingsWroteIt) {
  struct Case {
    std::string file;
    std::optional<std::string> home;
  };
  const Case cases[] = {
      {"[paths]\nhome=/home/u/视频\n", "/home/u/视频"},
      {"[General]\nx=1\n\n[paths]\r\nhome=/a b\r\n", "/a b"},
      // Quotes keep blanks and protect ",;="; escapes are undone.
      {"[paths]\nhome=\"  /a,b;c=d \\\"q\\\" \\\\x\\ty  \"\n", "  /a,b;c=d \"q\" \\x\ty  "},
      {"[paths]\nhome=  /a  \n", "/a"},
      // \x1 then '2' written as \x32, octal 101 'A'; "\x" without digits and
      // unknown escapes stand for nothing.
      {"[paths]\nhome=\\x1\\x32\\101\\xg\\q\n", std::string("\x01") + "2Ag"},
      {"[paths]\nhome=\\x4e2d\n", "中"},
      {"[paths]\nhome=\n", ""},
      {"[paths]\nhome=@@at\n", "@at"},
      {"[paths]\nhome=@plain\n", "@plain"},
      // Not one string: a list, a typed value.
      {"[paths]\nhome=a, b\n", std::nullopt},
      {"[paths]\nhome=@Invalid()\n", std::nullopt},
      // The key belongs to its section only; the last of repeated keys counts.
      {"[other]\nhome=/x\n", std::nullopt},
      {"home=/x\n[paths]\nname=/y\n", std::nullopt},
      {"[paths]\nhome=/x\n[other]\nhome=/y\n[paths]\nhome=/z\n", "/z"},
      {"; comment\n[ paths ]\n  home = /x\n", "/x"},
      {"[paths\nhome=/x\n", std::nullopt},
      {"", std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IniStringValue(c.file, "paths", "home"), c.home) << c.file;
  }
}

}  // namespace
}  // namespace mivora
