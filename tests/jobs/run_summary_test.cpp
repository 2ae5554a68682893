// A summary's output reads back as the result it was written from, whatever
// the outcome, so a front can show a run again from its summary alone; what
// is not an output reads as none.
#include "jobs/run_summary.h"

#include <gtest/gtest.h>

namespace mivora {
namespace {

using Kind = ItemOutcome::Kind;

ItemResult Result(Kind kind, std::string status) {
  ItemResult result;
  result.item = 2;
  result.variant = 3;
  result.source = "/home/视频/b.mp4";
  result.effectLine = "特效12-特效3";
  result.kind = kind;
  result.status = std::move(status);
  result.picks.intro = "/home/片头/in.mp4";
  result.picks.audio = "/home/音频/a.mp3";
  result.picks.title = "新品\n上市";
  result.seconds = 4.5;
  return result;
}

TEST(RunSummary, EveryOutputReadsBackAsItWasWritten) {
  ItemResult made = Result(Kind::kSucceeded, "成功");
  made.output = "/home/生成视频剪辑/b-3.mp4";
  made.fingerprint = "00ff";
  made.nearest = NearestVersion{1, "/home/生成视频剪辑/b-1.mp4", 0.25};
  made.remade = true;
  ItemResult failed = Result(Kind::kFailed, "剪切失败");
  failed.failedStep = "剪切 out1";
  failed.lastError = "Invalid data\nfound";
  const ItemResult cases[] = {made, failed, Result(Kind::kStopped, ""),
                              Result(Kind::kSkipped, "已存在，跳过"),
                              Result(Kind::kDiskFull, "磁盘空间不足：/home")};
  for (const ItemResult& written : cases) {
    SCOPED_TRACE(written.status);
    std::optional<ItemResult> read = ResultOfSummaryItem(SummaryItem(written));
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->item, written.item);
    EXPECT_EQ(read->variant, written.variant);
    EXPECT_EQ(read->source, written.source);
    EXPECT_EQ(read->kind, written.kind);
    EXPECT_EQ(read->status, written.status);
    EXPECT_EQ(read->effectLine, written.effectLine);
    EXPECT_EQ(read->picks.intro, written.picks.intro);
    EXPECT_EQ(read->picks.audio, written.picks.audio);
    EXPECT_EQ(read->picks.title, written.picks.title);
    EXPECT_EQ(read->failedStep, written.failedStep);
    EXPECT_EQ(read->lastError, written.lastError);
    EXPECT_EQ(read->output, written.output);
    EXPECT_EQ(read->seconds, written.seconds);
    EXPECT_EQ(read->fingerprint, written.fingerprint);
    EXPECT_EQ(read->remade, written.remade);
    ASSERT_EQ(read->nearest.has_value(), written.nearest.has_value());
    if (written.nearest) {
      EXPECT_EQ(read->nearest->variant, written.nearest->variant);
      EXPECT_EQ(read->nearest->output, written.nearest->output);
      EXPECT_EQ(read->nearest->distance, written.nearest->distance);
    }
  }

  nlohmann::json item = SummaryItem(made);
  const std::pair<const char*, nlohmann::json> broken[] = {
      {"no item number", nlohmann::json::object()},
      {"an outcome without a name",
       [&] {
         nlohmann::json changed = item;
         changed["outcome"] = "exploded";
         return changed;
       }()},
      {"no source",
       [&] {
         nlohmann::json changed = item;
         changed.erase("source");
         return changed;
       }()},
      {"not an object", nlohmann::json::array()},
  };
  for (const auto& [name, json] : broken) EXPECT_FALSE(ResultOfSummaryItem(json)) << name;
}

}  // namespace
}  // namespace mivora
