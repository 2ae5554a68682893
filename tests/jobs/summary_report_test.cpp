// Merging the summaries of several runs: which files are summaries, which
// outcome of an output is the latest, the totals, the shards and runs that are
// missing, and the exit status that follows.
#include <gtest/gtest.h>

#include "jobs/summary_report.h"
#include "support/temp_dir.h"

namespace mivora {
namespace {

using nlohmann::json;
using test::TempDir;
using test::WriteFile;

json Item(int item, const std::string& source, const std::string& outcome) {
  return {{"item", item},
          {"source", "/h/" + source},
          {"outcome", outcome},
          {"status", outcome == "succeeded" ? "成功" : "剪切失败"},
          {"output", outcome == "succeeded" ? json("/h/out/" + source) : json(nullptr)}};
}

// A run's summary; an empty `finishedAt` leaves the time out, as older
// summaries have none.
NamedSummary Summary(const std::string& file, const std::string& shard, std::vector<json> items,
                     const std::string& finishedAt = {}) {
  json summary = {{"home", "/h"}, {"mode", "video"}, {"shard", shard}, {"items", items}};
  if (!finishedAt.empty()) summary["finished_at"] = finishedAt;
  return {file, summary};
}

std::map<std::string, std::string> Outcomes(const json& merged) {
  std::map<std::string, std::string> outcomes;
  for (const json& item : merged["items"]) {
    std::string key = item["source"];
    if (item.contains("variant")) key += "#" + item["variant"].dump();
    EXPECT_EQ(outcomes.count(key), 0u) << key << " twice";
    outcomes[key] = std::string(item["outcome"]) + "@" + std::string(item["summary"]);
  }
  return outcomes;
}

TEST(ReadSummaryFile, NamesEveryFileThatIsNotASummary) {
  TempDir dir;
  const std::string good =
      json{{"succeeded", 1}, {"items", {Item(1, "a.mp4", "succeeded")}}}.dump();
  struct Case {
    std::string name;
    std::string content;      // nothing written when empty
    std::string problem;      // empty: a summary
    bool incomplete = false;  // written by a run killed before its totals
  };
  const Case cases[] = {
      {"summary.json", good, ""},
      {"empty-run.json", R"({"succeeded": 0, "items": [], "message": "音频没有导入"})", ""},
      {"full-disk.json",
       R"({"succeeded": 0, "items": [{"item": 1, "source": "/a", "outcome": "disk_full"}]})", ""},
      {"no-totals.json", json{{"items", {Item(1, "a.mp4", "succeeded")}}}.dump(), "", true},
      {"missing.json", "", "无法读取汇总文件："},
      {"log.txt", "mivora-cli: 已停止\n", "（不是 JSON）"},
      {"truncated.json", good.substr(0, good.size() / 2), "", true},
      {"blank.json", " \n", "", true},
      {"cut-log.txt", "mivora-cli: {", "（不是 JSON）"},
      {"bad-object.json", R"({"items": [}})", "（不是 JSON）"},
      {"list.json", "[1, 2]", "（没有 items 列表）"},
      {"other.json", R"({"items": {"a": 1}})", "（没有 items 列表）"},
      {"no-source.json", R"({"items": [{"item": 1, "outcome": "succeeded"}]})",
       "（第 1 项缺少素材或结果）"},
      {"odd-outcome.json", R"({"items": [{"item": 1, "source": "/a", "outcome": "done"}]})",
       "（第 1 项缺少素材或结果）"},
      {"no-number.json", R"({"items": [{"item": "1", "source": "/a", "outcome": "failed"}]})",
       "（第 1 项缺少素材或结果）"},
  };
  for (const Case& c : cases) {
    std::filesystem::path file = dir / c.name;
    if (!c.content.empty()) WriteFile(file, c.content);
    NamedSummary read;
    std::string problem = ReadSummaryFile(file, read);
    if (c.problem.empty()) {
      EXPECT_EQ(problem, "") << c.name;
      EXPECT_EQ(read.incomplete, c.incomplete) << c.name;
    } else {
      EXPECT_NE(problem.find(c.problem), std::string::npos) << c.name << ": " << problem;
      EXPECT_NE(problem.find(file.string()), std::string::npos) << problem;
    }
  }
  NamedSummary read;
  EXPECT_NE(ReadSummaryFile(dir.path(), read), "") << "a folder is no summary";
  WriteFile(dir / "killed.json", "");
  NamedSummary killed;
  EXPECT_EQ(ReadSummaryFile(dir / "killed.json", killed), "");
  EXPECT_TRUE(killed.incomplete) << "a run killed before it printed anything";
}

TEST(MergeSummaries, EveryOutputOnceWithItsLatestOutcome) {
  const std::string early = "2026-01-01T10:00:00.000Z";
  const std::string late = "2026-01-01T11:00:00.000Z";
  struct Case {
    std::string name;
    std::vector<NamedSummary> runs;
    std::map<std::string, std::string> outcomes;
  };
  const Case cases[] = {
      {"shards side by side",
       {Summary("s0", "0/2", {Item(1, "a", "succeeded"), Item(3, "c", "succeeded")}),
        Summary("s1", "1/2", {Item(2, "b", "failed")})},
       {{"/h/a", "succeeded@s0"}, {"/h/b", "failed@s1"}, {"/h/c", "succeeded@s0"}}},
      {"a rerun after the failure wins",
       {Summary("first", "0/1", {Item(1, "a", "succeeded"), Item(2, "b", "failed")}, early),
        Summary("again", "0/1", {Item(1, "a", "skipped"), Item(2, "b", "succeeded")}, late)},
       {{"/h/a", "skipped@again"}, {"/h/b", "succeeded@again"}}},
      {"the later run wins whatever the order of the files",
       {Summary("again", "0/1", {Item(2, "b", "succeeded")}, late),
        Summary("first", "0/1", {Item(2, "b", "stopped")}, early)},
       {{"/h/b", "succeeded@again"}}},
      {"without times the later file wins",
       {Summary("x", "0/1", {Item(2, "b", "succeeded")}),
        Summary("y", "0/1", {Item(2, "b", "failed")})},
       {{"/h/b", "failed@y"}}},
      {"one time missing: the later file wins",
       {Summary("x", "0/1", {Item(2, "b", "failed")}, late),
        Summary("y", "0/1", {Item(2, "b", "stopped")})},
       {{"/h/b", "stopped@y"}}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Outcomes(MergeSummaries(c.runs)), c.outcomes) << c.name;
  }

  // Versions of one source are outputs of their own.
  json first = Item(1, "a", "succeeded");
  json second = Item(1, "a", "failed");
  first["variant"] = 1;
  second["variant"] = 2;
  json merged = MergeSummaries({Summary("v", "0/1", {second, first})});
  EXPECT_EQ(Outcomes(merged), (std::map<std::string, std::string>{{"/h/a#1", "succeeded@v"},
                                                                  {"/h/a#2", "failed@v"}}));
  EXPECT_EQ(merged["items"][0]["variant"], 1) << "items in the list's order";
}

TEST(MergeSummaries, TotalsMissingShardsRefusedRunsAndExitStatus) {
  const json ok = Item(1, "a", "succeeded");
  struct Case {
    std::string name;
    std::vector<NamedSummary> runs;
    json totals;  // items, succeeded, skipped, failed, could_not_start, stopped
    std::vector<std::string> missing;
    std::size_t refused;
    int exitCode;
  };
  const Case cases[] = {
      {"every shard succeeded",
       {Summary("s0", "0/2", {ok, Item(3, "c", "succeeded")}),
        Summary("s1", "1/2", {Item(2, "b", "skipped")})},
       {3, 2, 1, 0, 0, 0},
       {},
       0,
       0},
      {"a failure and a stop",
       {Summary(
           "s", "0/1",
           {ok, Item(2, "b", "failed"), Item(3, "c", "could_not_start"), Item(4, "d", "stopped")})},
       {4, 1, 0, 1, 1, 1},
       {},
       0,
       1},
      {"a task that never wrote its summary",
       {Summary("s0", "0/3", {ok}), Summary("s2", "2/3", {Item(3, "c", "succeeded")})},
       {2, 2, 0, 0, 0, 0},
       {"1/3"},
       0,
       1},
      {"a whole rerun covers the shards of an earlier cut",
       {Summary("s0", "0/3", {ok}), Summary("all", "0/1", {ok, Item(2, "b", "succeeded")})},
       {2, 2, 0, 0, 0, 0},
       {},
       0,
       0},
      {"a shard with no items of its own",
       {Summary("s0", "0/2", {ok}), Summary("s1", "1/2", {})},
       {1, 1, 0, 0, 0, 0},
       {},
       0,
       0},
      {"a refused run",
       {Summary("s1", "1/2", {}), Summary("s0", "0/2", {ok})},
       {1, 1, 0, 0, 0, 0},
       {},
       1,
       1},
      {"a refused run done again",
       {Summary("s1", "1/2", {}), Summary("s0", "0/2", {ok}), Summary("s1again", "1/2", {})},
       {1, 1, 0, 0, 0, 0},
       {},
       0,
       0},
      {"nothing at all", {Summary("s", "0/1", {})}, {0, 0, 0, 0, 0, 0}, {}, 0, 1},
      // A killed shard's summary counts for nothing: its shard is missing.
      {"a shard killed before its totals",
       {Summary("s0", "0/2", {ok}), {"s1", Summary("s1", "1/2", {ok}).summary, true}},
       {1, 1, 0, 0, 0, 0},
       {"1/2"},
       0,
       1},
  };
  const char* names[] = {"items", "succeeded", "skipped", "failed", "could_not_start", "stopped"};
  for (Case c : cases) {
    // The refused runs say why they did nothing, as `run --json` does.
    if (c.name.rfind("a refused run", 0) == 0) c.runs.front().summary["message"] = "音频没有导入";
    json merged = MergeSummaries(c.runs);
    for (std::size_t i = 0; i < 6; ++i)
      EXPECT_EQ(merged["totals"][names[i]], c.totals[i]) << c.name << " " << names[i];
    std::vector<std::string> missing;
    for (const json& shard : merged["missing_shards"]) missing.push_back(shard["shard"]);
    EXPECT_EQ(missing, c.missing) << c.name;
    EXPECT_EQ(merged["refused"].size(), c.refused) << c.name;
    EXPECT_EQ(merged["incomplete"].size(), c.name.find("killed") != std::string::npos ? 1u : 0u)
        << c.name;
    EXPECT_EQ(ReportExitCode(merged), c.exitCode) << c.name;
  }
}

TEST(ReportTable, OneLinePerItemThenWhatIsMissingAndTheTotals) {
  json version = Item(2, "b.mp4", "skipped");
  version["variant"] = 3;
  NamedSummary refused = Summary("s2", "2/4", {});
  refused.summary["message"] = "音频没有导入";
  std::string table = ReportTable(MergeSummaries(
      {Summary("s0", "0/4", {Item(1, "a.mp4", "succeeded"), Item(5, "e.mp4", "stopped")}),
       Summary("s1", "1/4", {version, Item(6, "f.mp4", "failed")}), refused}));
  EXPECT_EQ(table,
            "1\t/h/a.mp4\t成功\t/h/out/a.mp4\n"
            "2-3\t/h/b.mp4\t已存在，跳过\n"
            "5\t/h/e.mp4\t未完成\n"
            "6\t/h/f.mp4\t剪切失败\n"
            "未开始的运行：s2：音频没有导入\n"
            "缺少分片的汇总：/h（video）分片 3/4\n"
            "共 4 项：成功 1，跳过 1，失败 1，未完成 1\n");

  EXPECT_EQ(ReportTable(MergeSummaries(
                {Summary("s0", "0/1", {Item(1, "a.mp4", "succeeded")}), {"s1", nullptr, true}})),
            "1\t/h/a.mp4\t成功\t/h/out/a.mp4\n"
            "未写完的汇总（运行在结束前被终止）：s1\n"
            "共 1 项：成功 1，跳过 0，失败 0，未完成 0\n");
}

TEST(ReportTable, PerSourceTheTwoVersionsNearestToEachOther) {
  auto version = [](const std::string& source, int variant, json closest) {
    json item = Item(1, source, "succeeded");
    item["variant"] = variant;
    item["output"] = "/h/out/" + source + "-" + std::to_string(variant);
    item["closest"] = closest;
    return item;
  };
  auto near = [](int variant, const std::string& output, double distance) {
    return json{{"variant", variant}, {"output", "/h/out/" + output}, {"distance", distance}};
  };
  std::string table = ReportTable(
      MergeSummaries({Summary("s", "0/1",
                              {version("a", 1, nullptr), version("a", 2, near(1, "a-1", 0.25)),
                               version("a", 3, near(1, "a-1", 0.0625)), version("b", 1, nullptr),
                               version("b", 2, near(1, "b-1", 0.5)), version("c", 1, nullptr)})}));
  EXPECT_NE(table.find("最相近的版本：/h/a：/h/out/a-3 与 /h/out/a-1，差异 0.062\n"),
            std::string::npos)
      << table;
  EXPECT_NE(table.find("最相近的版本：/h/b：/h/out/b-2 与 /h/out/b-1，差异 0.500\n"),
            std::string::npos)
      << table;
  EXPECT_EQ(table.find("最相近的版本：/h/c"), std::string::npos) << "a source of one version";
}

}  // namespace
}  // namespace mivora
