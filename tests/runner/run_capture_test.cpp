#include "runner/run_capture.h"
#include "support/never_stopped.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "support/media_maker.h"
#include "support/process_probe.h"

namespace mivora {
namespace {

using namespace std::chrono_literals;

CaptureResult Sh(const std::string& script, RunToken& token = test::NeverStopped()) {
  return RunCapture({"sh", "-c", script}, token);
}

TEST(RunCapture, ReturnsEverythingWrittenInOrder) {
  EXPECT_EQ(Sh("true").output, "");
  EXPECT_EQ(Sh("printf abc").output, "abc");
  EXPECT_EQ(Sh("printf 1; printf 2 >&2; printf 3; printf 4 >&2").output, "1234");
  // A burst larger than the pipe, written right before exit, is drained.
  EXPECT_EQ(Sh("head -c 300000 /dev/zero | tr '\\0' x").output.size(), 300000u);
}

TEST(RunCapture, DropsZeroBytesOneByOne) {
  EXPECT_EQ(Sh("printf 'A\\000B'").output, "AB");
}

TEST(RunCapture, GivesTheChildNoInput) {
  EXPECT_EQ(Sh("cat; echo done").output, "done\n");
}

TEST(RunCapture, NamesAProgramThatCannotBeStarted) {
  CaptureResult run = RunCapture({"/nonexistent/mivora-missing-tool", "-x"}, test::NeverStopped());
  EXPECT_FALSE(run.started);
  EXPECT_NE(run.output.find("mivora-missing-tool"), std::string::npos);
  EXPECT_NE(run.output.find("No such file"), std::string::npos);
  CaptureResult onPath = RunCapture({"mivora-missing-tool"}, test::NeverStopped());
  EXPECT_NE(onPath.output.find("mivora-missing-tool"), std::string::npos);
  CaptureResult notExecutable = RunCapture({"/etc/hostname"}, test::NeverStopped());
  EXPECT_FALSE(notExecutable.started);
  EXPECT_FALSE(notExecutable.output.empty());
}

TEST(RunCapture, KeepsArgumentsUninterpreted) {
  EXPECT_EQ(
      RunCapture({"printf", "%s|", "a b", "$HOME", "; ls", "特效"}, test::NeverStopped()).output,
      "a b|$HOME|; ls|特效|");
}

// The child keeps the program's environment; glibc's heap settings are
// added in front of any the user set, so the user's still win.
TEST(RunCapture, PassesTheEnvironmentWithHeapSettings) {
  setenv("MIVORA_TEST_VALUE", "kept", 1);
  EXPECT_EQ(Sh("echo $MIVORA_TEST_VALUE").output, "kept\n");
  EXPECT_EQ(Sh("echo $GLIBC_TUNABLES").output,
            "glibc.malloc.mmap_threshold=33554432:glibc.malloc.trim_threshold=268435456\n");
  setenv("GLIBC_TUNABLES", "glibc.malloc.trim_threshold=1", 1);
  EXPECT_EQ(Sh("echo $GLIBC_TUNABLES").output,
            "glibc.malloc.mmap_threshold=33554432:glibc.malloc.trim_threshold=268435456:"
            "glibc.malloc.trim_threshold=1\n");
  unsetenv("GLIBC_TUNABLES");
  unsetenv("MIVORA_TEST_VALUE");
}

TEST(RunCapture, CancelEndsTheWholeGroupAtOnce) {
  RunToken token;
  std::thread stopper([&] {
    std::this_thread::sleep_for(300ms);
    token.Cancel();
  });
  auto started = std::chrono::steady_clock::now();
  // The child ignores SIGTERM and leaves a grandchild: both must go.
  CaptureResult run = Sh("trap '' TERM; sleep 1005 & echo ready; wait", token);
  auto took = std::chrono::steady_clock::now() - started;
  stopper.join();
  EXPECT_TRUE(run.cancelled);
  EXPECT_EQ(run.output, "ready\n");
  EXPECT_LT(took, 2s);
  std::this_thread::sleep_for(100ms);
  // A killed process needs a moment to be gone from /proc.
  EXPECT_TRUE(
      test::WaitUntil([] { return !test::ProcessRunning("sleep 1005"); }, std::chrono::seconds(3)));
}

TEST(RunCapture, NothingOfTheGroupOutlivesItsLeader) {
  Sh("sleep 1001 & echo started");
  std::this_thread::sleep_for(100ms);
  // A killed process needs a moment to be gone from /proc.
  EXPECT_TRUE(
      test::WaitUntil([] { return !test::ProcessRunning("sleep 1001"); }, std::chrono::seconds(3)));
}

TEST(RunCapture, PauseFreezesTheChildUntilResume) {
  RunToken token;
  std::thread control([&] {
    std::this_thread::sleep_for(200ms);
    token.Pause();
    std::this_thread::sleep_for(700ms);
    token.Resume();
  });
  auto started = std::chrono::steady_clock::now();
  CaptureResult run = Sh("sleep 0.4; echo done", token);
  auto took = std::chrono::steady_clock::now() - started;
  control.join();
  EXPECT_EQ(run.output, "done\n");
  EXPECT_GE(took, 900ms);
}

TEST(RunCapture, CancelledTokenStartsNothing) {
  RunToken token;
  token.Cancel();
  CaptureResult run = Sh("echo never", token);
  EXPECT_TRUE(run.cancelled);
  EXPECT_EQ(run.output, "");
}

TEST(PumpWait, WaitsAndEndsEarlyOnCancel) {
  RunToken token;
  auto started = std::chrono::steady_clock::now();
  EXPECT_TRUE(PumpWait(120, token));
  EXPECT_GE(std::chrono::steady_clock::now() - started, 120ms);
  std::thread stopper([&] {
    std::this_thread::sleep_for(50ms);
    token.Cancel();
  });
  started = std::chrono::steady_clock::now();
  EXPECT_FALSE(PumpWait(5000, token));
  EXPECT_LT(std::chrono::steady_clock::now() - started, 1s);
  stopper.join();
}

TEST(RunCapture, TheStallWatchStopsOnlyAChildThatMakesNoProgress) {
  struct Case {
    const char* script;
    bool stalled;
  } cases[] = {
      {"echo started; sleep 1012", true},
      // Slower than the limit in all, but never still for that long.
      {"for i in 1 2 3 4 5 6 7; do echo tick; sleep 0.2; done", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    CaptureWatch watch;
    watch.stallTimeoutMs = 700;
    watch.onOutput = [](std::string_view) { return true; };
    auto start = std::chrono::steady_clock::now();
    CaptureResult run = RunCapture({"sh", "-c", c.script}, test::NeverStopped(), watch);
    auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(run.stalled, c.stalled);
    EXPECT_FALSE(run.cancelled);
    if (c.stalled) {
      EXPECT_LT(took, 10s);
    } else {
      EXPECT_EQ(run.output, "tick\ntick\ntick\ntick\ntick\ntick\ntick\n");
    }
  }
  EXPECT_TRUE(test::WaitUntil([] { return !test::ProcessRunning("sleep 1012"); }, 3s));
}

}  // namespace
}  // namespace mivora
