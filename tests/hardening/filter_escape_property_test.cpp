// The escaping of a `movie=` path checked against the encoder's own reading
// of filter text: the graph reader takes the filter's arguments up to an
// unescaped "[],;", and the filter reads its first option as a value without
// a key up to an unescaped ":". For thousands of random names, of any bytes
// but NUL and "/", both readings together must give the name back exactly.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "runner/command_line.h"

extern "C" {
#include <libavutil/avstring.h>
#include <libavutil/mem.h>
#include <libavutil/opt.h>
}

namespace mivora {
namespace {

// A text allocated by the library, freed by it.
struct LibText {
  char* text = nullptr;
  ~LibText() { av_free(text); }
  std::string str() const { return text ? text : "<null>"; }
};

// What the encoder makes of "movie=<escaped>[v];[v]null": the file name it
// opens, or a description of what went wrong.
std::string ReadBack(const std::string& escaped) {
  std::string graph = "movie=" + escaped + "[v];[v]null";
  const char* pos = graph.c_str() + std::string_view("movie=").size();
  LibText arguments{av_get_token(&pos, "[],;")};
  if (*pos != '[') return "graph text ends early before: " + std::string(pos);

  const char* option = arguments.text;
  LibText key;
  LibText value;
  if (av_opt_get_key_value(&option, "=", ":", AV_OPT_FLAG_IMPLICIT_KEY, &key.text, &value.text) <
      0) {
    return "no option value in: " + arguments.str();
  }
  if (key.text != nullptr) return "read as option " + key.str();
  if (*option != '\0') return "option value ends early before: " + std::string(option);

  // The stricter reading that also stops at "=" sees the same name.
  const char* strict = arguments.text;
  LibText strictValue{av_get_token(&strict, "=:")};
  if (*strict != '\0' || strictValue.str() != value.str())
    return "stops at '=': " + strictValue.str();
  return value.str();
}

// Random names built from the characters either level treats specially,
// blanks (often at the ends), Chinese text, letters and any other byte.
class NameMaker {
 public:
  std::string Next() {
    std::string name;
    int length = Between(1, 40);
    for (int i = 0; i < length; ++i) name += Piece();
    if (Between(0, 3) == 0) name = std::string(Between(1, 3), ' ') + name;
    if (Between(0, 3) == 0) name += std::string(Between(1, 3), Between(0, 1) ? ' ' : '\t');
    return name;
  }

 private:
  int Between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(engine_); }

  std::string Piece() {
    static const std::vector<std::string> kSpecial = {"\\", "'",    "\"", "[",   "]",  ",",
                                                      ";",  ":",    "=",  " ",   "\t", "\n",
                                                      "\r", "\\\\", "''", "\\'", "%",  "$"};
    static const std::vector<std::string> kChinese = {"视频", "剪辑", "特效", "片头",
                                                      "素材", "音乐", "，",   "："};
    switch (Between(0, 3)) {
      case 0:
        return kSpecial[Between(0, static_cast<int>(kSpecial.size()) - 1)];
      case 1:
        return kChinese[Between(0, static_cast<int>(kChinese.size()) - 1)];
      case 2:
        return std::string(1, static_cast<char>(Between('a', 'z')));
      default: {
        char byte = static_cast<char>(Between(1, 255));
        return byte == '/' ? std::string("_") : std::string(1, byte);
      }
    }
  }

  std::mt19937 engine_{20240611};
};

TEST(FilterEscape, RandomNamesReadBackExactly) {
  NameMaker names;
  int failures = 0;
  for (int i = 0; i < 5000 && failures < 5; ++i) {
    std::string name = names.Next();
    std::string path = "/tmp/素材 [1]/" + name;
    for (const std::string& candidate : {name, path}) {
      std::string escaped = EscapeFilterPath(candidate);
      std::string back = ReadBack(escaped);
      if (back != candidate) {
        ++failures;
        ADD_FAILURE() << "name [" << candidate << "] escaped [" << escaped << "] read back ["
                      << back << "]";
      }
    }
  }
}

TEST(FilterEscape, NamesMadeOnlyOfSpecialCharacters) {
  for (std::string name : {" ",
                           "\t",
                           "'",
                           "\\",
                           "\\'",
                           "'\\",
                           "[",
                           "]",
                           ",",
                           ";",
                           ":",
                           "=",
                           " a ",
                           "''",
                           "\\\\",
                           ":=:",
                           "[],;:='\\ \t\n\r",
                           "a\\",
                           "\\ ",
                           " \\",
                           "' '"}) {
    EXPECT_EQ(ReadBack(EscapeFilterPath(name)), name) << "[" << name << "]";
  }
  // The reading is strict enough to tell: one level of escaping is not enough.
  EXPECT_NE(ReadBack("a\\:b"), "a:b");
  EXPECT_NE(ReadBack("it\\'s"), "it's");
}

}  // namespace
}  // namespace mivora
