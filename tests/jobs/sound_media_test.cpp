// The source's own sound in finished videos, with the real encoder: it stays
// in step with its pictures behind an intro in both engines, the music gives
// way to it when ducked, and a source without sound gets the music alone.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <fstream>
#include <numbers>

#include "job_harness.h"
#include "jobs/clip_jobs.h"
#include "media/work_folders.h"
#include "runner/run_capture.h"
#include "support/media_maker.h"
#include "support/never_stopped.h"
#include "support/temp_dir.h"

namespace mivora {
namespace {

constexpr int kRate = 8000;  // the rate the sound is read back at
constexpr int kFps = 30;

std::string ReadFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The finished video's sound, one channel of samples.
std::vector<double> ReadSound(const std::filesystem::path& video) {
  std::filesystem::path raw = video.parent_path() / (video.stem().string() + ".pcm");
  RunCapture({"ffmpeg", "-v", "error", "-nostats", "-y", "-i", video.string(), "-ac", "1", "-ar",
              std::to_string(kRate), "-f", "s16le", raw.string()},
             test::NeverStopped());
  std::string bytes = ReadFile(raw);
  std::vector<double> samples(bytes.size() / 2);
  for (std::size_t i = 0; i < samples.size(); ++i) {
    std::int16_t value =
        static_cast<std::int16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                  (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    samples[i] = value / 32768.0;
  }
  return samples;
}

// The mean brightness of every picture, read from tiny grey frames.
std::vector<double> ReadBrightness(const std::filesystem::path& video) {
  std::filesystem::path raw = video.parent_path() / (video.stem().string() + ".gray");
  RunCapture({"ffmpeg", "-v", "error", "-nostats", "-y", "-i", video.string(), "-vf",
              "scale=8:8,format=gray", "-f", "rawvideo", raw.string()},
             test::NeverStopped());
  std::string bytes = ReadFile(raw);
  std::vector<double> frames;
  for (std::size_t at = 0; at + 64 <= bytes.size(); at += 64) {
    double sum = 0;
    for (std::size_t i = at; i < at + 64; ++i) sum += static_cast<unsigned char>(bytes[i]);
    frames.push_back(sum / 64);
  }
  return frames;
}

// The times of white pictures in a black video.
std::vector<double> FlashTimes(const std::vector<double>& frames) {
  std::vector<double> times;
  for (std::size_t i = 0; i < frames.size(); ++i) {
    if (frames[i] > 128 && (i == 0 || frames[i - 1] <= 128)) times.push_back(double(i) / kFps);
  }
  return times;
}

// The times where sound begins after at least a fifth of a second of quiet.
std::vector<double> BeepTimes(const std::vector<double>& samples) {
  double loudest = 0;
  for (double s : samples) loudest = std::max(loudest, std::abs(s));
  std::vector<double> times;
  std::size_t quietSince = 0;
  for (std::size_t i = 0; i < samples.size(); ++i) {
    if (std::abs(samples[i]) < loudest / 4) continue;
    if (i - quietSince > kRate / 5 || (times.empty() && i == quietSince)) {
      times.push_back(double(i) / kRate);
    }
    quietSince = i;
  }
  return times;
}

// The power of one frequency over [from, to) seconds (Goertzel).
double Power(const std::vector<double>& samples, double hz, double from, double to) {
  const double k = 2 * std::cos(2 * std::numbers::pi * hz / kRate);
  double s1 = 0;
  double s2 = 0;
  std::size_t begin = static_cast<std::size_t>(from * kRate);
  std::size_t end = std::min(samples.size(), static_cast<std::size_t>(to * kRate));
  for (std::size_t i = begin; i < end; ++i) {
    double s = samples[i] + k * s1 - s2;
    s2 = s1;
    s1 = s;
  }
  double n = end > begin ? double(end - begin) : 1;
  return (s1 * s1 + s2 * s2 - k * s1 * s2) / (n * n);
}

bool Make(const std::filesystem::path& file, std::vector<std::string> args) {
  std::filesystem::create_directories(file.parent_path());
  args.insert(args.begin(), {"ffmpeg", "-v", "error", "-y"});
  args.push_back(file.string());
  return RunCapture(args, test::NeverStopped()).output.empty();
}

// Flashes of white pictures with a beep at each, in a black six seconds.
constexpr double kFlashes[] = {0.5, 1.5, 2.5, 4.0, 5.2};

class SoundMedia : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new test::TempDir();
    const std::filesystem::path& dir = dir_->path();
    std::string frames;
    std::string beeps;
    for (double at : kFlashes) {
      int n = static_cast<int>(std::lround(at * kFps));
      frames += (frames.empty() ? "" : "+") + std::string("eq(n,") + std::to_string(n) + ")";
      beeps += (beeps.empty() ? "" : "+") + std::string("between(t,") + std::to_string(at) + "," +
               std::to_string(at + 0.05) + ")";
    }
    ASSERT_TRUE(Make(dir / "sources/beeps.mp4",
                     {"-f", "lavfi", "-i", "color=c=black:s=360x640:r=30:d=6", "-f", "lavfi", "-i",
                      "aevalsrc='(" + beeps + ")*0.8*sin(2*PI*1000*t)':s=48000:d=6", "-vf",
                      "drawbox=c=white:t=fill:enable='" + frames + "'", "-c:v", "libx264", "-c:a",
                      "aac", "-shortest"}));
    // A tone in the first half, quiet in the second.
    ASSERT_TRUE(Make(dir / "sources/half tone.mp4",
                     {"-f", "lavfi", "-i", "testsrc2=s=360x640:r=30:d=4", "-f", "lavfi", "-i",
                      "aevalsrc='lt(t,2)*0.5*sin(2*PI*1000*t)':s=48000:d=4", "-c:v", "libx264",
                      "-c:a", "aac", "-shortest"}));
    ASSERT_TRUE(test::MakeClip(dir / "sources/silent.mp4",
                               {.seconds = 3, .width = 360, .height = 640, .audio = false}));
    ASSERT_TRUE(test::MakeClip(
        dir / "intro.mp4",
        {.seconds = 1.5, .width = 360, .height = 640, .audio = false, .source = "color=c=black"}));
    ASSERT_TRUE(test::MakeTone(dir / "music.mp3", 3, 300));
  }
  static void TearDownTestSuite() {
    delete dir_;
    dir_ = nullptr;
  }

  // Runs `source` with `engine` and the sound options; the finished video.
  std::filesystem::path Run(const std::string& source, const std::string& engine,
                            SoundOptions sound, bool intro, test::RecordingSink& sink) {
    const std::filesystem::path& dir = dir_->path();
    std::filesystem::path home = dir / (engine + "-" + std::to_string(++runs_));
    PrepareWorkFolders(home);
    RandomSource random{7};
    JobInputs inputs;
    inputs.runDir = home;
    inputs.random = &random;
    inputs.items = {{1, (dir / "sources" / source).string(), source}};
    // Effects that keep the pictures' brightness, then the rest as it is.
    inputs.effectLines = {"特效14-特效7"};
    inputs.choices.intros = {(dir / "intro.mp4").string()};
    inputs.choices.intro = intro;
    inputs.choices.audios = {(dir / "music.mp3").string()};
    inputs.options.engine = *kEngineNames.Parse(engine);
    inputs.options.sound = sound;
    RunToken token;
    RunItems(inputs, sink, token);
    EXPECT_EQ(sink.Status(1), "成功") << sink.Console();
    // The one-pass engine did it in one run, without falling back to steps.
    EXPECT_EQ(sink.LogText().find("一次编码失败"), std::string::npos) << sink.Console();
    return WorkPaths::ForRunDir(home).VideoOutputFolder() /
           std::filesystem::path(source).replace_extension(".mp4");
  }

  static test::TempDir* dir_;
  int runs_ = 0;
};

test::TempDir* SoundMedia::dir_ = nullptr;

TEST_F(SoundMedia, EveryBeepPlaysWithItsFlashBehindAnIntro) {
  for (const std::string engine : {"steps", "onepass"}) {
    SCOPED_TRACE(engine);
    test::RecordingSink sink;
    std::filesystem::path video =
        Run("beeps.mp4", engine, {SoundMode::kSource, 0.3, false}, true, sink);
    std::vector<double> flashes = FlashTimes(ReadBrightness(video));
    std::vector<double> beeps = BeepTimes(ReadSound(video));
    // 1.5 s of intro in front; the video ends at its 7 whole seconds.
    ASSERT_EQ(flashes.size(), std::size(kFlashes));
    ASSERT_EQ(beeps.size(), flashes.size());
    for (std::size_t i = 0; i < flashes.size(); ++i) {
      EXPECT_NEAR(flashes[i], kFlashes[i] + 1.5, 0.034) << i;
      EXPECT_NEAR(beeps[i], flashes[i], 0.040) << i;
    }
    EXPECT_EQ(sink.Outcome(1)->sound, SoundMode::kSource);
  }
}

TEST_F(SoundMedia, TheMusicGivesWayToTheSourceWhenDucked) {
  struct Case {
    std::string engine;
    bool duck;
  } cases[] = {{"onepass", true}, {"steps", true}, {"onepass", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.engine + (c.duck ? " ducked" : ""));
    test::RecordingSink sink;
    std::vector<double> sound =
        ReadSound(Run("half tone.mp4", c.engine, {SoundMode::kBoth, 0.3, c.duck}, false, sink));
    ASSERT_GE(sound.size(), std::size_t{4 * kRate - kRate / 10});
    double voiceOn = Power(sound, 1000, 0.5, 1.5);
    double musicUnder = Power(sound, 300, 0.5, 1.5);
    double musicAlone = Power(sound, 300, 2.6, 3.8);
    EXPECT_GT(voiceOn, 4 * musicUnder);
    EXPECT_GT(musicAlone, 0);
    // Ducked, the music under the source is well below the music alone.
    if (c.duck) {
      EXPECT_LT(musicUnder, musicAlone / 4);
    } else {
      EXPECT_NEAR(musicUnder, musicAlone, musicAlone / 2);
    }
    EXPECT_EQ(sink.Outcome(1)->sound, SoundMode::kBoth);
  }
}

TEST_F(SoundMedia, ASourceWithoutSoundGetsTheMusicAndSaysSo) {
  for (const std::string engine : {"steps", "onepass"}) {
    SCOPED_TRACE(engine);
    test::RecordingSink sink;
    std::vector<double> sound =
        ReadSound(Run("silent.mp4", engine, {SoundMode::kSource, 0.3, false}, false, sink));
    EXPECT_GT(Power(sound, 300, 0.5, 2.5), 100 * Power(sound, 1000, 0.5, 2.5));
    EXPECT_NE(sink.LogText().find("素材没有声音，只用背景音乐：silent.mp4"), std::string::npos);
    EXPECT_EQ(sink.Outcome(1)->sound, SoundMode::kMusic);
  }
}

}  // namespace
}  // namespace mivora
