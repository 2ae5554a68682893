// The results model keeps one row per output from the core's outcome events:
// every outcome with its reason in full, a version's row replaced when it is
// told again, the facts measured later, and the failures-only filter.
#include "app/results_model.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace mivora {
namespace {

using Kind = ItemOutcome::Kind;

ItemPlan Plan(int item, int variant, const char* outputName) {
  ItemPlan plan;
  plan.item = item;
  plan.variant = variant;
  plan.variants = 2;
  plan.source = "/home/视频/a.mp4";
  plan.name = "a.mp4";
  plan.outputName = outputName;
  plan.effects.names = "特效12-特效3";
  return plan;
}

ItemOutcome Outcome(Kind kind, std::string status, std::string step = {},
                    std::string lastError = {}) {
  ItemOutcome outcome;
  outcome.kind = kind;
  outcome.status = std::move(status);
  outcome.failedStep = std::move(step);
  outcome.lastError = std::move(lastError);
  outcome.picks.intro = "/home/片头/in.mp4";
  outcome.picks.audio = "/home/音频/music.mp3";
  outcome.picks.title = "第一行\n第二行";
  return outcome;
}

TEST(ResultsModel, ARecordedRunGivesOneRowPerOutputWithItsOutcomeInFull) {
  struct Case {
    const char* name;
    ItemOutcome outcome;
    std::string outcomeText;
    std::string reason;
    bool failed;
  } cases[] = {
      {"made", Outcome(Kind::kSucceeded, "成功"), "成功", "成功", false},
      {"kept from before", Outcome(Kind::kSkipped, "已存在，跳过"), "已存在，跳过", "已存在，跳过",
       false},
      {"stopped, no status of its own", Outcome(Kind::kStopped, ""), "已停止", "已停止", false},
      {"failed with its step and the encoder's words",
       Outcome(Kind::kFailed, "剪切失败", "剪切 out1", "Invalid data found\nwhen processing input"),
       "剪切失败", "剪切失败\n失败的步骤：剪切 out1\nInvalid data found\nwhen processing input",
       true},
      {"a failure without a status still reads as one", Outcome(Kind::kCouldNotStart, ""), "失败",
       "失败", true},
      {"the machine's fault names the folder", Outcome(Kind::kDiskFull, "磁盘空间不足：/home/out"),
       "磁盘空间不足：/home/out", "磁盘空间不足：/home/out", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResultsModel model;
    model.ItemFinished(Plan(1, 2, "a-2.mp4"), c.outcome);
    ASSERT_EQ(model.Rows().size(), 1u);
    const ResultRow& row = model.Rows()[0];
    EXPECT_EQ(row.name, "a-2.mp4");
    EXPECT_EQ(row.result.item, 1);
    EXPECT_EQ(row.result.variant, 2);
    EXPECT_EQ(OutcomeText(row), c.outcomeText);
    EXPECT_EQ(ReasonText(row), c.reason);
    EXPECT_EQ(row.failed(), c.failed);
    EXPECT_EQ(PicksText(row),
              "特效组合：特效12-特效3\n片头：in.mp4\n音频：music.mp3\n文案：第一行\n第二行");
    EXPECT_FALSE(row.measured);
    // No finished file exists here, so none is kept to play.
    EXPECT_TRUE(row.result.output.empty());
  }
}

TEST(ResultsModel, AVersionToldAgainReplacesItsRowAndFactsFindOnlyTheirOwn) {
  ResultsModel model;
  std::vector<std::size_t> changed;
  model.rowChanged = [&](std::size_t index) { changed.push_back(index); };
  model.ItemFinished(Plan(1, 1, "a-1.mp4"), Outcome(Kind::kSucceeded, "成功"));
  model.ItemFinished(Plan(1, 2, "a-2.mp4"), Outcome(Kind::kFailed, "合并失败"));
  EXPECT_EQ(model.Shown(true), std::vector<std::size_t>{1});
  // A version made again (a redraw) is told again: its row is replaced, not doubled.
  model.ItemFinished(Plan(1, 2, "a-2.mp4"), Outcome(Kind::kSucceeded, "成功"));
  EXPECT_EQ(changed, (std::vector<std::size_t>{0, 1, 1}));
  EXPECT_EQ(model.Rows().size(), 2u);
  EXPECT_TRUE(model.Shown(true).empty());

  model.SetFacts(1, VideoFacts{12.0, 2048, {"/home/.mivora-results/画面/1-2-1.jpg"}});
  EXPECT_TRUE(model.Rows()[1].measured);
  model.SetFacts(9, VideoFacts{});  // a row that is not there is left alone
  EXPECT_EQ(changed.back(), 1u);
}

}  // namespace
}  // namespace mivora
