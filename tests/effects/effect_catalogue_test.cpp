// The effect catalogue: names, durations and the structure of every template.
#include "effects/effect_catalogue.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "runner/command_line.h"

namespace mivora {
namespace {

std::string Name(int number) { return EffectName(number); }

int Count(const std::string& text, const std::string& needle) {
  int count = 0;
  for (auto at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1)) {
    ++count;
  }
  return count;
}

int ExpectedSeconds(int number) {
  const std::set<int> one = {7, 8, 15, 16, 17, 18, 19, 20, 29};
  const std::set<int> three = {21, 22, 38, 39, 40, 41, 42, 43, 44, 45, 46, 47, 48, 49,
                               50, 51, 52, 54, 55, 58, 59, 64, 65, 66, 67, 68, 69, 70};
  if (one.count(number)) return 1;
  if (three.count(number)) return 3;
  return number == 56 ? 4 : 2;
}

TEST(EffectCatalogue, EveryNameHasItsDurationAndAWellFormedTemplate) {
  std::set<std::string> seen;
  for (int number = 1; number <= kEffectCount; ++number) {
    SCOPED_TRACE(Name(number));
    std::string duration = EffectDuration(Name(number));
    std::string text = EffectTemplate(Name(number));
    EXPECT_EQ(duration, std::to_string(ExpectedSeconds(number)));
    EXPECT_TRUE(seen.insert(text).second) << "templates must differ";

    EXPECT_EQ(text.rfind(R"(D:\ffmpeg\bin\ffmpeg.exe -y )", 0), 0u);
    EXPECT_TRUE(text.ends_with(R"( D:\out.mp4)"));
    EXPECT_EQ(Count(text, R"(D:\out.mp4)"), 1);
    auto t = text.find(" -t ");
    ASSERT_NE(t, std::string::npos);
    EXPECT_EQ(text.substr(t + 4, text.find(' ', t + 4) - t - 4), duration);

    std::vector<std::string> args = SplitCommandLine(text);
    ASSERT_GE(args.size(), 4u);
    EXPECT_EQ(args.front(), R"(D:\ffmpeg\bin\ffmpeg.exe)");
    EXPECT_EQ(args.back(), R"(D:\out.mp4)");
    int filters = 0;
    for (std::size_t i = 0; i < args.size(); ++i) {
      EXPECT_EQ(args[i].find('"'), std::string::npos) << args[i];
      if (args[i] == "-vf" || args[i] == "-filter_complex") {
        ++filters;
        // The whole graph is one argument, followed by the output options.
        ASSERT_LT(i + 2, args.size());
        EXPECT_NE(args[i + 1][0], '-');
        EXPECT_EQ(args[i + 2][0], '-');
      }
    }
    EXPECT_EQ(filters, 1);
  }
}

TEST(EffectCatalogue, NamesMustMatchExactly) {
  for (std::string name : std::vector<std::string>{"特效0", Name(kEffectCount + 1), "特效01", "特效 1", " 特效1", "特效1 ", "特效１", "",
                           "特效", "特效100", "特效-1", "特效1a", "特效+1"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(EffectDuration(name), "");
    EXPECT_EQ(EffectTemplate(name), "");
  }
  EXPECT_EQ(EffectDuration("特效70"), "3");
  EXPECT_EQ(EffectDuration("特效56"), "4");
}

TEST(EffectCatalogue, MovieSourcesAndOrdinaryInputs) {
  struct Case {
    int first, last, movies;
  };
  const std::vector<Case> cases = {{34, 35, 3}, {36, 37, 2}, {52, 58, 4}, {59, 60, 3},
                                   {61, 63, 2}, {64, 64, 4}, {68, 69, 1}};
  std::vector<int> movies(kEffectCount + 1, 0);
  for (const Case& c : cases) {
    for (int n = c.first; n <= c.last; ++n) movies[n] = c.movies;
  }
  for (int number = 1; number <= kEffectCount; ++number) {
    SCOPED_TRACE(Name(number));
    std::string text = EffectTemplate(Name(number));
    EXPECT_EQ(Count(text, R"(movie=D\\:/1.mp4)"), movies[number]);
    bool ordinary = text.find(R"(-i D:\1.mp4)") != std::string::npos ||
                    text.find(R"(-i  D:\1.mp4)") != std::string::npos;
    // Only 特效36 and 特效37 read the source both ways.
    EXPECT_EQ(ordinary, movies[number] == 0 || number == 36 || number == 37);
    bool audio = number == 31 || number == 33 || number == 34 || number == 35;
    EXPECT_EQ(Count(text, R"(-stream_loop -1 -i D:\1.mp3)"), audio ? 1 : 0);
    EXPECT_EQ(EffectNeedsAudio(Name(number)), audio);
  }
}

TEST(EffectCatalogue, DoubledBlanksStayWhereTheyAre) {
  // Number of "  " in each template; 特效66's graph carries four of its own.
  const std::vector<std::pair<int, int>> doubled = {{1, 1},  {2, 1},  {3, 1},  {4, 2},  {11, 1},
                                                    {15, 1}, {30, 2}, {31, 2}, {32, 2}, {33, 1},
                                                    {57, 1}, {66, 4}, {67, 1}};
  std::vector<int> expected(kEffectCount + 1, 0);
  for (auto [number, count] : doubled) expected[number] = count;
  for (int number = 1; number <= kEffectCount; ++number) {
    EXPECT_EQ(Count(EffectTemplate(Name(number)), "  "), expected[number]) << Name(number);
  }
  EXPECT_NE(EffectTemplate("特效4").find(R"(-y  -i D:\1.mp4 -i D:\1.mp4  -i D:\1.mp4 -f)"),
            std::string::npos);
  EXPECT_NE(EffectTemplate("特效30").find(R"(-y -i  D:\1.mp4 -f)"), std::string::npos);
  EXPECT_NE(EffectTemplate("特效31").find("720x1280  -stream_loop"), std::string::npos);
  EXPECT_NE(EffectTemplate("特效33").find("\"  -c:v libx264"), std::string::npos);
  EXPECT_NE(EffectTemplate("特效67").find(R"(720x1280 -i  D:\1.mp4 -filter_complex)"),
            std::string::npos);
}

TEST(EffectCatalogue, TemplatesInFull) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"特效1",
       R"(D:\ffmpeg\bin\ffmpeg.exe -y  -i D:\1.mp4 -i D:\1.mp4 -filter_complex "[0:v]pad=iw*2:ih*1[a];[a][1:v]overlay=w" -pix_fmt yuv420p -vcodec libx264 -r:v 30 -preset medium -crf 30 -t 2 -aspect 9:16 -s "720x1280" -b:v 3000k D:\out.mp4)"},
      {"特效7",
       R"(D:\ffmpeg\bin\ffmpeg.exe -y -i D:\1.mp4 -vf lutyuv="u=128:v=128" -r:v 30 -preset medium -crf 30 -t 1 -aspect 9:16 -s "720x1280" -b:v 3000k D:\out.mp4)"},
      {"特效12",
       R"(D:\ffmpeg\bin\ffmpeg.exe -y -i D:\1.mp4 -vf "split[mian][tmp];[tmp]crop=iw:ih/2:0:0,vflip[flip];[mian][flip]overlay=0:H/2" -c:v libx264 -r:v 30 -preset medium -crf 30 -t 2 -aspect 9:16 -s 720x1280 D:\out.mp4)"},
      {"特效15",
       R"(D:\ffmpeg\bin\ffmpeg.exe -y -i D:\1.mp4 -vf  "boxblur=10:2:cr=0:ar=0,gblur=sigma=5" -pix_fmt yuv420p -vcodec libx264 -r:v 30 -preset medium -crf 30 -t 1 -aspect 9:16 -s "720x1280" -b:v 3000k D:\out.mp4)"},
      {"特效17",
       R"(D:\ffmpeg\bin\ffmpeg.exe -y -i D:\1.mp4 -vf "eq=brightness=0.5:contrast=0.5:saturation=1.1" -r:v 30 -preset medium -crf 30 -t 1 -aspect 9:16 -s "720x1280" D:\out.mp4)"},
      {"特效31",
       R"(D:\ffmpeg\bin\ffmpeg.exe -y -i D:\1.mp4 -f lavfi -i color=black:s=720x1280  -stream_loop -1 -i D:\1.mp3 -filter_complex "[0:v][1:v]overlay=x=0:y=h/2+(t)*300[v1];[v1][1:v]overlay=x=0:y=-h/2-(t)*300;[0:a][2:a]amix"  -c:v libx264 -r:v 30 -preset medium -crf 30 -t 2 -aspect 9:16 -s "720x1280" D:\out.mp4)"},
      {"特效34",
       R"(D:\ffmpeg\bin\ffmpeg.exe -y -f lavfi -i "color=s=720x1280:color=black" -stream_loop -1 -i D:\1.mp3 -vf "movie=D\\:/1.mp4,crop=iw/2:ih:0:360,scale=360:1280[watermark0];movie=D\\:/1.mp4,crop=iw/2:ih:360:0,scale=360:1280[watermark1];movie=D\\:/1.mp4,scale=720x1280,setpts=PTS-STARTPTS,scale=-2:'if(lte(t,2),482+800*abs(sin((t)*2*PI/8)),1290)':eval=frame[watermark2];[in][watermark2]overlay=(W-w)/2:(H-h)/2[tmpa],[tmpa][watermark0]overlay=x='W-w-t*200-w':y=0:enable='between (t,0,2)'[tmp],[tmp][watermark1]overlay=x='w+mod(t*200,W+w)':y=0:enable='between (t,0,2)'[out]" -c:v libx264 -r:v 30 -preset medium -crf 30 -t 2 -aspect 9:16 -s "720x1280" D:\out.mp4)"},
      {"特效65",
       R"(D:\ffmpeg\bin\ffmpeg.exe -y -f lavfi -i color=black:s=720x1280 -i D:\1.mp4 -i D:\1.mp4 -filter_complex "[2:v]scale=360:-2,format=bgra,rotate='PI*5/10*t':ow='hypot(iw,ih)':oh=ow:c=0x00000000[v2];[1:v]crop=360:ih:0:0,scale=360:1280[vz];[1:v]crop=360:ih:360:0,scale=360:1280[vy];[0:v][v2]overlay=(W-w)/2:(H-h)/2[bb],[bb][vz]overlay=x='if(lte(t*150-w,0),t*150-w,0)':y=0[tmp],[tmp][vy]overlay=x='if(gte((w-t*150+w),360),(w-t*150+w),360)':y=0" -c:v libx264 -r:v 30 -preset medium -crf 30 -t 3 -aspect 9:16 -s "720x1280" D:\out.mp4)"},
      {"特效68",
       R"(D:\ffmpeg\bin\ffmpeg.exe -y -f lavfi -i color=black:s=720x1280 -vf "movie=D\\:/1.mp4,crop=iw:ih:0:0,scale=720:1280,fade=in:0:35[watermark0];[0:v][watermark0]overlay=x='if(lte(n,40),710*sin(t)*sin(t)-w,0)':y=0[out]" -c:v libx264 -t 3 -aspect 9:16 -s "720x1280" D:\out.mp4)"},
  };
  for (const auto& [name, expected] : cases) EXPECT_EQ(EffectTemplate(name), expected) << name;
}

}  // namespace
}  // namespace mivora
