// The shortcuts as text: each finds its piece in its effect's template, the
// shortened graphs still translate, and a shortcut that does not fit leaves
// the effect as written.
#include "effects/effect_shortcuts.h"

#include <gtest/gtest.h>

#include <set>

#include "effects/effect_catalogue.h"
#include "effects/effect_graph.h"

namespace mivora {
namespace {

TEST(OnePassShortcuts, EachFitsItsEffectAndTheResultTranslates) {
  std::set<std::string> shortened;
  for (const GraphShortcut& shortcut : GraphShortcuts()) {
    SCOPED_TRACE(shortcut.effect + ": " + shortcut.from);
    const std::string text = EffectTemplate(shortcut.effect);
    ASSERT_NE(text, "");
    EXPECT_EQ(text.find(shortcut.from), text.rfind(shortcut.from));
    EXPECT_NE(text.find(shortcut.from), std::string::npos);
    EXPECT_NE(shortcut.from, shortcut.to);
    shortened.insert(shortcut.effect);
  }
  for (int number = 1; number <= kEffectCount; ++number) {
    const std::string name = "特效" + std::to_string(number);
    SCOPED_TRACE(name);
    const std::string text = OnePassTemplate(name);
    EXPECT_EQ(text != EffectTemplate(name), shortened.contains(name));
    EffectPart part = TranslateEffect(text, 2, "fx_", "s", "o");
    EXPECT_EQ(part.error, "");
    // The part lasts as the effect as written does.
    EXPECT_EQ(part.seconds, TranslateEffect(EffectTemplate(name), 2, "fx_", "s", "o").seconds);
  }
}

TEST(OnePassShortcuts, AnEffectIsRewrittenWholeOrNotAtAll) {
  const std::string text = "a=1,b=2,a=1,c=3";
  struct Case {
    const char* what;
    std::vector<GraphShortcut> shortcuts;
    std::string expected;
  };
  std::vector<Case> cases = {
      {"every piece found once", {{"fx", "b=2", "b=5"}, {"fx", "c=3", "d=4"}}, "a=1,b=5,a=1,d=4"},
      {"later shortcuts see earlier results",
       {{"fx", "b=2", "e=9"}, {"fx", "e=9", "f=0"}},
       "a=1,f=0,a=1,c=3"},
      {"another effect's shortcut", {{"other", "b=2", "b=5"}}, text},
      {"a piece found twice", {{"fx", "b=2", "b=5"}, {"fx", "a=1", "z=0"}}, text},
      {"a piece not found", {{"fx", "b=2", "b=5"}, {"fx", "x=7", "z=0"}}, text},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ApplyShortcuts("fx", text, c.shortcuts), c.expected) << c.what;
  }
}

}  // namespace
}  // namespace mivora
