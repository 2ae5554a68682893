#include "jobs/summary_report.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <tuple>

#include "jobs/clip_jobs.h"
#include "jobs/run_summary.h"

namespace mivora {
namespace {

std::string NotASummary(const std::string& file, const std::string& why) {
  return "不是 mivora-cli run --json 的汇总：" + file + "（" + why + "）";
}

std::string Text(const nlohmann::json& object, const char* key) {
  auto found = object.find(key);
  return found != object.end() && found->is_string() ? found->get<std::string>() : std::string();
}

// What tells one output from another across runs: its source and, for runs
// that make several versions of a source, the version.
std::string OutputKey(const nlohmann::json& item) {
  auto variant = item.find("variant");
  return Text(item, "source") + '\n' + (variant == item.end() ? "" : variant->dump());
}

// Runs that may stand in for one another: the same list, cut the same way.
std::string RunKey(const nlohmann::json& summary) {
  auto shard = summary.find("shard");
  return Text(summary, "home") + '\n' + Text(summary, "mode") + '\n' +
         (shard == summary.end() ? "" : shard->dump());
}

// Summaries older than the finishing time carry none; the order given decides.
bool NoEarlier(const std::string& candidate, const std::string& held) {
  return candidate.empty() || held.empty() || candidate >= held;
}

// The shards of a list that no summary covers. A list counts as covered when,
// for some N, every shard of N has a summary (a later run of the whole list,
// 0/1, covers the shards of an earlier one).
nlohmann::json MissingShards(const std::vector<NamedSummary>& summaries) {
  // list (home and mode) -> N -> the shards seen
  std::map<std::pair<std::string, std::string>, std::map<int, std::set<int>>> seen;
  for (const NamedSummary& named : summaries) {
    int index = 0;
    int count = 0;
    if (!ParseShard(Text(named.summary, "shard"), index, count)) continue;
    seen[{Text(named.summary, "home"), Text(named.summary, "mode")}][count].insert(index);
  }
  nlohmann::json missing = nlohmann::json::array();
  for (const auto& [list, byCount] : seen) {
    bool covered = std::any_of(byCount.begin(), byCount.end(), [](const auto& entry) {
      return static_cast<int>(entry.second.size()) == entry.first;
    });
    if (covered) continue;
    for (const auto& [count, indexes] : byCount) {
      for (int index = 0; index < count; ++index) {
        if (indexes.count(index) == 0) {
          missing.push_back({{"home", list.first},
                             {"mode", list.second},
                             {"shard", std::to_string(index) + "/" + std::to_string(count)}});
        }
      }
    }
  }
  return missing;
}

struct Held {
  std::string finishedAt;
  nlohmann::json value;
};

void Keep(std::map<std::string, Held>& held, const std::string& key, const std::string& finishedAt,
          nlohmann::json value) {
  auto found = held.find(key);
  if (found == held.end() || NoEarlier(finishedAt, found->second.finishedAt))
    held[key] = {finishedAt, std::move(value)};
}

std::string ItemLabel(const nlohmann::json& item) {
  std::string label = item["item"].dump();
  auto variant = item.find("variant");
  if (variant != item.end() && variant->is_number_integer()) label += "-" + variant->dump();
  return label;
}

std::optional<ItemOutcome::Kind> OutcomeOf(const nlohmann::json& item) {
  return kOutcomeNames.Parse(Text(item, "outcome"));
}

// True when the parser ran out of text before the JSON value ended.
bool CutOff(const std::string& content) {
  try {
    return nlohmann::json::parse(content).is_discarded();
  } catch (const nlohmann::json::parse_error& error) {
    return error.byte > content.size();
  }
}

// Per source, the versions nearest to each other: "<output> 与 <output>".
std::string NearestPairs(const nlohmann::json& items) {
  std::map<std::string, const nlohmann::json*> nearest;  // source -> its item
  for (const nlohmann::json& item : items) {
    auto closest = item.find("closest");
    if (closest == item.end() || !closest->is_object()) continue;
    const nlohmann::json*& held = nearest[Text(item, "source")];
    if (!held || (*closest)["distance"] < (*held)["closest"]["distance"]) held = &item;
  }
  std::ostringstream out;
  for (const auto& [source, item] : nearest) {
    const nlohmann::json& closest = (*item)["closest"];
    char distance[16];
    std::snprintf(distance, sizeof distance, "%.3f", closest.value("distance", 1.0));
    out << "最相近的版本：" << source << "：" << Text(*item, "output") << " 与 "
        << Text(closest, "output") << "，差异 " << distance << "\n";
  }
  return out.str();
}

}  // namespace

std::string StatusText(const nlohmann::json& item) {
  std::optional<ItemOutcome::Kind> outcome = OutcomeOf(item);
  if (outcome == ItemOutcome::Kind::kStopped) return kStoppedText;
  if (outcome == ItemOutcome::Kind::kSkipped) return kSkippedStatus;
  std::string status = Text(item, "status");
  return status.empty() ? Text(item, "outcome") : status;
}

std::string TotalsLine(const nlohmann::json& merged) {
  const nlohmann::json& totals = merged["totals"];
  const nlohmann::json& items = merged["items"];
  // An item of an outcome no name stands for counts as failed, as the exit
  // status treats it.
  const auto failed = std::count_if(items.begin(), items.end(), [](const nlohmann::json& item) {
    std::optional<ItemOutcome::Kind> outcome = OutcomeOf(item);
    return !outcome || EndedInFailure(*outcome);
  });
  std::ostringstream out;
  out << "共 " << totals["items"] << " 项：成功 " << totals["succeeded"] << "，跳过 "
      << totals["skipped"] << "，失败 " << failed << "，" << kStoppedText << " "
      << totals["stopped"];
  return out.str();
}

std::string ReadSummaryFile(const std::filesystem::path& file, NamedSummary& read) {
  read.file = file.string();
  std::ifstream in(file, std::ios::binary);
  std::error_code error;
  if (!in || std::filesystem::is_directory(file, error)) return "无法读取汇总文件：" + read.file;
  std::ostringstream stream;
  stream << in.rdbuf();
  const std::string content = stream.str();
  const std::size_t start = content.find_first_not_of(" \t\r\n");
  // A run killed before it printed leaves nothing; one killed while printing
  // leaves an object that ends too soon.
  if (start == std::string::npos) {
    read.incomplete = true;
    return {};
  }
  read.summary = nlohmann::json::parse(content, nullptr, false);
  if (read.summary.is_discarded()) {
    if (content[start] == '{' && CutOff(content)) {
      read.incomplete = true;
      return {};
    }
    return NotASummary(read.file, "不是 JSON");
  }
  if (!read.summary.is_object() || !read.summary.contains("items") ||
      !read.summary["items"].is_array()) {
    return NotASummary(read.file, "没有 items 列表");
  }
  int position = 0;
  for (const nlohmann::json& item : read.summary["items"]) {
    ++position;
    bool known = item.is_object() && item.contains("item") && item["item"].is_number_integer() &&
                 !Text(item, "source").empty() &&
                 kOutcomeNames.Parse(Text(item, "outcome")).has_value();
    if (!known)
      return NotASummary(read.file, "第 " + std::to_string(position) + " 项缺少素材或结果");
  }
  read.incomplete = !read.summary.contains("succeeded");
  return {};
}

nlohmann::json MergeSummaries(const std::vector<NamedSummary>& summaries) {
  std::map<std::string, Held> outputs;
  std::map<std::string, Held> runs;  // null, or the refused run
  nlohmann::json files = nlohmann::json::array();
  nlohmann::json incomplete = nlohmann::json::array();
  std::vector<NamedSummary> complete;
  for (const NamedSummary& named : summaries) {
    files.push_back(named.file);
    if (named.incomplete) {
      incomplete.push_back(named.file);
      continue;
    }
    complete.push_back(named);
    const nlohmann::json& summary = named.summary;
    std::string finishedAt = Text(summary, "finished_at");
    for (nlohmann::json item : summary["items"]) {
      item["summary"] = named.file;
      std::string key = OutputKey(item);
      Keep(outputs, key, finishedAt, std::move(item));
    }
    std::string message = Text(summary, "message");
    nlohmann::json refused = nullptr;
    if (!message.empty()) {
      refused = {{"summary", named.file},
                 {"home", Text(summary, "home")},
                 {"shard", summary.value("shard", nlohmann::json(nullptr))},
                 {"message", message}};
    }
    Keep(runs, RunKey(summary), finishedAt, std::move(refused));
  }

  std::vector<nlohmann::json> items;
  for (auto& [key, held] : outputs) items.push_back(std::move(held.value));
  std::stable_sort(items.begin(), items.end(),
                   [](const nlohmann::json& a, const nlohmann::json& b) {
                     return std::make_tuple(a["item"].get<long long>(), Text(a, "source"),
                                            a.value("variant", nlohmann::json(0)).dump()) <
                            std::make_tuple(b["item"].get<long long>(), Text(b, "source"),
                                            b.value("variant", nlohmann::json(0)).dump());
                   });
  nlohmann::json totals = {{"items", items.size()}};
  for (const std::string& outcome : kOutcomeNames.Names()) {
    totals[outcome] = std::count_if(items.begin(), items.end(), [&](const nlohmann::json& item) {
      return Text(item, "outcome") == outcome;
    });
  }
  nlohmann::json refused = nlohmann::json::array();
  for (auto& [key, held] : runs) {
    if (!held.value.is_null()) refused.push_back(std::move(held.value));
  }
  return {{"summaries", files},       {"totals", totals},
          {"refused", refused},       {"missing_shards", MissingShards(complete)},
          {"incomplete", incomplete}, {"items", items}};
}

int ReportExitCode(const nlohmann::json& merged) {
  const nlohmann::json& totals = merged["totals"];
  int done = totals["succeeded"].get<int>() + totals["skipped"].get<int>();
  bool complete = totals["items"].get<int>() > 0 && done == totals["items"].get<int>();
  return complete && merged["refused"].empty() && merged["missing_shards"].empty() &&
                 merged["incomplete"].empty()
             ? 0
             : 1;
}

std::string ReportTable(const nlohmann::json& merged) {
  std::ostringstream out;
  for (const nlohmann::json& item : merged["items"]) {
    out << ItemLabel(item) << "\t" << Text(item, "source") << "\t" << StatusText(item);
    std::string output = Text(item, "output");
    if (!output.empty()) out << "\t" << output;
    out << "\n";
  }
  out << NearestPairs(merged["items"]);
  for (const nlohmann::json& run : merged["refused"]) {
    out << "未开始的运行：" << Text(run, "summary") << "：" << Text(run, "message") << "\n";
  }
  for (const nlohmann::json& shard : merged["missing_shards"]) {
    out << "缺少分片的汇总：" << Text(shard, "home") << "（" << Text(shard, "mode") << "）分片 "
        << Text(shard, "shard") << "\n";
  }
  for (const nlohmann::json& file : merged["incomplete"]) {
    out << "未写完的汇总（运行在结束前被终止）：" << file.get<std::string>() << "\n";
  }
  out << TotalsLine(merged) << "\n";
  return out.str();
}

}  // namespace mivora
