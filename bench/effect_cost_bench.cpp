// What each effect costs in the one-pass engine: one stretch of a 720x1280
// source rendered through the effect, against a plain encode of the same
// seconds of the same source, the two alternating, the smaller of each over
// the rounds. The cost is the ratio of CPU seconds, which a loaded machine
// disturbs less than wall time. Prints a table; --tsv FILE also writes it for
// bench/effect_cost_chart.sh.
//
//   effect_cost_bench [--rounds N] [--tsv FILE] [特效N ...]
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "child_usage.h"
#include "effects/effect_catalogue.h"
#include "jobs/onepass_graph.h"
#include "support/media_maker.h"
#include "support/temp_dir.h"

namespace {

using namespace mivora;

struct Row {
  std::string effect;
  int seconds = 0;
  bench::Usage effectRun;  // the smallest figures over the rounds
  bench::Usage plainRun;
};

void KeepSmaller(bench::Usage& best, const bench::Usage& run) {
  if (best.wallSeconds == 0) {
    best = run;
    return;
  }
  best.wallSeconds = std::min(best.wallSeconds, run.wallSeconds);
  best.cpuSeconds = std::min(best.cpuSeconds, run.cpuSeconds);
  best.peakKb = std::min(best.peakKb, run.peakKb);
}

bool MeasureEffect(const test::TempDir& dir, int rounds, Row& row) {
  OnePassItem item;
  item.source = (dir / "source.mp4").string();
  item.parts = {{0, std::stoi(EffectDuration(row.effect)), row.effect}};
  item.output = (dir / "effect.mp4").string();
  OnePassCommand command = BuildOnePassCommand(item);
  if (!command.error.empty()) {
    std::fprintf(stderr, "%s: %s\n", row.effect.c_str(), command.error.c_str());
    return false;
  }
  command.args.front() = "ffmpeg";
  row.seconds = command.seconds;
  std::vector<std::string> plain = {"ffmpeg", "-y", "-i", item.source, "-map", "0:v"};
  std::vector<std::string> settings = bench::OutputSettings(command.seconds);
  plain.insert(plain.end(), settings.begin(), settings.end());
  plain.push_back((dir / "plain.mp4").string());

  for (int round = 0; round < rounds; ++round) {
    // Alternating which goes first spreads a change of load over both.
    for (int turn = 0; turn < 2; ++turn) {
      bool effectTurn = (turn + round) % 2 == 1;
      bench::Usage run = bench::MeasureEncode(effectTurn ? command.args : plain);
      if (!run.ok) return false;
      KeepSmaller(effectTurn ? row.effectRun : row.plainRun, run);
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  int rounds = 2;
  std::string tsvPath;
  std::vector<std::string> effects;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--rounds" && i + 1 < argc) {
      rounds = std::max(1, std::stoi(argv[++i]));
    } else if (arg == "--tsv" && i + 1 < argc) {
      tsvPath = argv[++i];
    } else if (!EffectDuration(arg).empty()) {
      effects.push_back(arg);
    } else {
      std::fprintf(stderr, "usage: effect_cost_bench [--rounds N] [--tsv FILE] [特效N ...]\n");
      return 2;
    }
  }
  if (effects.empty()) {
    for (int number = 1; number <= kEffectCount; ++number) effects.push_back(EffectName(number));
  }

  test::TempDir dir;
  // Long enough for the longest effect and the second the stretch reads past it.
  if (!test::MakeClip(dir / "source.mp4", {.seconds = 6})) {
    std::fprintf(stderr, "could not make the sample media\n");
    return 1;
  }
  bench::PrintLoad();
  std::printf("%-8s %7s %8s %8s %7s %7s %8s\n", "effect", "seconds", "cpu s", "plain s", "cost",
              "wall x", "peak MB");
  std::vector<Row> rows;
  for (const std::string& effect : effects) {
    Row row;
    row.effect = effect;
    if (!MeasureEffect(dir, rounds, row)) return 1;
    std::printf("%-8s %7d %8.2f %8.2f %7.2f %7.2f %8ld\n", effect.c_str(), row.seconds,
                row.effectRun.cpuSeconds, row.plainRun.cpuSeconds,
                row.effectRun.cpuSeconds / row.plainRun.cpuSeconds,
                row.effectRun.wallSeconds / row.plainRun.wallSeconds, row.effectRun.peakKb / 1024);
    std::fflush(stdout);
    rows.push_back(row);
  }
  bench::PrintLoad();

  if (!tsvPath.empty()) {
    std::ofstream tsv(tsvPath);
    tsv << "effect\tseconds\tcpu_seconds\tplain_cpu_seconds\tcost\twall_ratio\tpeak_mb\n";
    for (const Row& row : rows) {
      tsv << row.effect << '\t' << row.seconds << '\t' << row.effectRun.cpuSeconds << '\t'
          << row.plainRun.cpuSeconds << '\t' << row.effectRun.cpuSeconds / row.plainRun.cpuSeconds
          << '\t' << row.effectRun.wallSeconds / row.plainRun.wallSeconds << '\t'
          << row.effectRun.peakKb / 1024 << '\n';
    }
  }
  return 0;
}
