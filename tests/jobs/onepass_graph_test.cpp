// The one-pass graph as text: every template of the catalogue translated into
// a well-formed part, the filter graph grammar the templates rely on, and the
// item command built around the parts.
#include "jobs/onepass_graph.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <regex>

#include "effects/effect_catalogue.h"
#include "runner/tool.h"

namespace mivora {
namespace {

// Splits a graph at ';' outside single quotes.
std::vector<std::string> Chains(const std::string& graph) {
  std::vector<std::string> chains(1);
  bool quoted = false;
  for (char c : graph) {
    if (c == '\'') quoted = !quoted;
    if (c == ';' && !quoted) {
      chains.emplace_back();
    } else {
      chains.back() += c;
    }
  }
  return chains;
}

// Labels a chain reads (before its first filter) and writes (after its last).
void ChainLabels(const std::string& chain, std::vector<std::string>& in,
                 std::vector<std::string>& out) {
  static const std::regex kLeading(R"(^\[([^\]]+)\])");
  static const std::regex kTrailing(R"(\[([^\]]+)\]$)");
  std::string rest = chain;
  std::smatch match;
  while (std::regex_search(rest, match, kLeading)) {
    in.push_back(match[1]);
    rest = match.suffix();
  }
  while (std::regex_search(rest, match, kTrailing)) {
    out.insert(out.begin(), match[1]);
    rest = match.prefix();
  }
}

// Every label is written once and read once; the inputs are only read, the
// result only written, and every other label carries the prefix.
void ExpectWellLinked(const std::string& graph, const std::string& prefix,
                      const std::vector<std::string>& inputs, const std::string& result) {
  std::map<std::string, int> written;
  std::map<std::string, int> read;
  for (const std::string& chain : Chains(graph)) {
    std::vector<std::string> in;
    std::vector<std::string> out;
    ChainLabels(chain, in, out);
    for (const auto& label : in) ++read[label];
    for (const auto& label : out) ++written[label];
  }
  for (const std::string& input : inputs) {
    EXPECT_EQ(read[input], 1) << input << " in " << graph;
    EXPECT_EQ(written.count(input), 0u) << input << " in " << graph;
  }
  EXPECT_EQ(written[result], 1) << graph;
  EXPECT_EQ(read.count(result), 0u) << graph;
  for (const auto& [label, count] : written) {
    EXPECT_EQ(count, 1) << label;
    if (label == result) continue;
    EXPECT_EQ(read[label], 1) << label << " in " << graph;
    EXPECT_EQ(label.rfind(prefix, 0), 0u) << label;
  }
  for (const auto& [label, count] : read) {
    bool input = std::find(inputs.begin(), inputs.end(), label) != inputs.end();
    if (!input) {
      EXPECT_EQ(written.count(label), 1u) << label << " is read but never written";
    }
  }
}

std::string Template(const std::string& inputs, const std::string& filter,
                     const std::string& graph) {
  return std::string(R"(D:\ffmpeg\bin\ffmpeg.exe -y )") + inputs + " " + filter + " \"" + graph +
         R"(" -c:v libx264 -r:v 30 -t 2 -s 720x1280 D:\out.mp4)";
}

TEST(OnePassGraph, EveryEffectBecomesAWellLinkedPart) {
  for (int number = 1; number <= kEffectCount; ++number) {
    const std::string name = "特效" + std::to_string(number);
    SCOPED_TRACE(name);
    const std::string text = EffectTemplate(name);
    const int cap = std::stoi(EffectDuration(name));
    EffectPart part = TranslateEffect(text, 2, "fx4_", "segment4", "part4");
    ASSERT_EQ(part.error, "");
    ExpectWellLinked(part.graph, "fx4_", {"segment4"}, "part4");
    for (const char* gone : {R"(D:\)", R"(D\\:)", "movie=", "amix", "[in]", "[out]"}) {
      EXPECT_EQ(part.graph.find(gone), std::string::npos) << gone << " in " << part.graph;
    }
    EXPECT_FALSE(std::regex_search(part.graph, std::regex(R"(\[\d+:[va]\])"))) << part.graph;
    const bool canvas = text.find("-f lavfi") != std::string::npos;
    EXPECT_EQ(part.canvas, canvas);
    EXPECT_EQ(part.seconds, canvas ? cap : std::min(2, cap));
    // Every part ends in the shape of a segment.
    EXPECT_NE(part.graph.find("scale=720:1280,setsar=1,format=yuv420p,"), std::string::npos);
    EXPECT_NE(part.graph.find("trim=duration=" + std::to_string(part.seconds) + "[part4]"),
              std::string::npos);
  }
}

TEST(OnePassGraph, ExpressionsAndCanvasesAreKeptAsWritten) {
  EffectPart part = TranslateEffect(EffectTemplate("特效32"), 2, "p_", "s", "o");
  ASSERT_EQ(part.error, "");
  EXPECT_NE(part.graph.find("overlay=x='if(gte((-t)*200+w,360),(-t)*200+w,360)':y=0"),
            std::string::npos);
  // Input 1 is read twice: two canvases, each a little longer than the part.
  EXPECT_EQ(Chains(part.graph)[0], "color=black:s=720x1280:d=3[p_canvas1]");
  EXPECT_EQ(Chains(part.graph)[1], "color=black:s=720x1280:d=3[p_canvas2]");

  // The bare argument lost its inner quotes on the command line, as the encoder sees it.
  part = TranslateEffect(EffectTemplate("特效7"), 1, "p_", "s", "o");
  EXPECT_EQ(Chains(part.graph)[0], "[s]lutyuv=u=128:v=128[p_result]");
}

TEST(OnePassGraph, ResolvesLinksTheWayTheEncoderDoes) {
  struct Case {
    const char* what;
    std::string text;
    std::vector<std::string> chains;  // the expected part without its tail
  };
  const std::string source = R"(-i D:\1.mp4)";
  const std::string canvasSource = R"(-f lavfi -i color=black:s=720x1280 -i D:\1.mp4)";
  std::vector<Case> cases = {
      {"a comma after labelled outputs joins like a semicolon",
       Template(source, "-vf", "split[a][b],[a][b]overlay=x='if(lt(t,1),0,w)'[out]"),
       {"[s]split[p_a][p_b]", "[p_a][p_b]overlay=x='if(lt(t,1),0,w)'[p_result]"}},
      {"a label may be written after it is read",
       Template(source, "-vf", "[x]hflip[out];[in]vflip[x]"),
       {"[p_x]hflip[p_result]", "[s]vflip[p_x]"}},
      {"labelled inputs come before the chain's own output",
       Template(canvasSource, "-filter_complex", "[1:v]null[x];[0:v]null,[x]overlay"),
       {"color=black:s=720x1280:d=3[p_canvas1]", "[s]null[p_x]", "[p_canvas1]null[p_link1]",
        "[p_x][p_link1]overlay[p_result]"}},
      {"quoted separators stay inside their argument",
       Template(source, "-vf", "[in]crop=w='if(lt(t,1),iw,iw/2)':x='0;[0]'[out]"),
       {"[s]crop=w='if(lt(t,1),iw,iw/2)':x='0;[0]'[p_result]"}},
      {"a label that clashes with a made-up name gets its own",
       Template(source, "-filter_complex", "[0:v]null,split[link0][x];[link0][x]overlay"),
       {"[s]null[p_link0]", "[p_link0]split[p_link0_][p_x]", "[p_link0_][p_x]overlay[p_result]"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EffectPart part = TranslateEffect(c.text, 2, "p_", "s", "o");
    ASSERT_EQ(part.error, "");
    std::vector<std::string> chains = Chains(part.graph);
    chains.pop_back();
    EXPECT_EQ(chains, c.chains);
  }
}

TEST(OnePassGraph, RefusesWhatItDoesNotKnow) {
  const std::string source = R"(-i D:\1.mp4)";
  struct Case {
    const char* what;
    std::string text;
  };
  std::vector<Case> cases = {
      {"no template", ""},
      {"another program", R"(D:\ffmpeg\bin\ffplay.exe -i D:\1.mp4 D:\out.mp4)"},
      {"an unknown filter", Template(source, "-vf", "drawtext=text=x")},
      {"an unknown input", Template(R"(-i D:\2.mp4)", "-vf", "null")},
      {"an unknown option", Template("-ss 1 " + source, "-vf", "null")},
      {"a stream that is not there", Template(source, "-filter_complex", "[1:v]null")},
      {"an unlabelled complex input", Template(source, "-filter_complex", "null")},
      {"a chain with two inputs", Template(source, "-vf", "[a][b]overlay")},
      {"another movie", Template(source, "-vf", "movie=x.mp4[m];[in][m]overlay")},
      {"two video outputs", Template(source, "-filter_complex", "[0:v]split[a][b]")},
      {"audio read as video",
       Template(R"(-stream_loop -1 -i D:\1.mp3)", "-filter_complex", "[0:v]null")},
      {"video fed to an audio filter", Template(source, "-filter_complex", "[0:v][0:v]amix")},
      {"an open label", Template(source, "-vf", "null[a")},
      {"no length", std::string(R"(D:\ffmpeg\bin\ffmpeg.exe -y -i D:\1.mp4 -vf null D:\out.mp4)")},
  };
  for (const Case& c : cases) {
    EXPECT_NE(TranslateEffect(c.text, 2, "p_", "s", "o").error, "") << c.what;
  }
}

TEST(OnePassGraph, PartsFollowTheWalk) {
  std::vector<WalkStep> walk = PlanWalk(20, {"2", "1", "3"}, {"特效12", "特效29", "特效38"}, true);
  std::vector<ItemPart> parts = PartsOfWalk(walk);
  ASSERT_EQ(parts.size(), 4u);
  EXPECT_EQ(parts[0].effect, "特效12");
  EXPECT_EQ(parts[2].startSeconds, 3);
  EXPECT_EQ(parts[2].lengthSeconds, 3);
  EXPECT_EQ(parts[3].startSeconds, 6);
  EXPECT_EQ(parts[3].lengthSeconds, 14);
  EXPECT_EQ(parts[3].effect, "");

  EXPECT_TRUE(PartsOfWalk({{WalkStep::Kind::kRender, 1, 0, 0, "特效1"}}).empty());
  EXPECT_TRUE(
      PartsOfWalk({{WalkStep::Kind::kCut, 1, 0, 2, {}}, {WalkStep::Kind::kRender, 1, 0, 0, ""}})
          .empty());
}

OnePassItem WholeItem() {
  OnePassItem item;
  item.source = "/media/it's [a],b.mp4";
  // 特效40 lays the stretch over a canvas: three seconds from a two-second stretch.
  item.parts = {{0, 2, "特效12"}, {2, 2, "特效40"}, {4, 2, "特效38"}, {6, 3, ""}};
  item.intro = "/intro.mp4";
  item.introSeconds = 1.5;
  item.outro = "/outro.mp4";
  item.outroSeconds = 0.75;
  item.overlay = "/k.mp4";
  item.audio = "/a.mp3";
  item.output = "/out/.part.mp4";
  return item;
}

TEST(OnePassGraph, AnItemIsOneCommand) {
  OnePassCommand command = BuildOnePassCommand(WholeItem());
  ASSERT_EQ(command.error, "");
  // 1.5 + 2 + 3 + 2 + 3 + 0.75 = 12.25: the join's whole seconds.
  EXPECT_EQ(command.seconds, 12);
  const std::vector<std::string>& args = command.args;
  ASSERT_GT(args.size(), 14u);
  EXPECT_EQ(args[0], kEncoderPlaceholder);
  std::vector<std::string> head(args.begin() + 1, args.begin() + 14);
  EXPECT_EQ(head, (std::vector<std::string>{"-y", "-i", "/media/it's [a],b.mp4", "-i", "/intro.mp4",
                                            "-i", "/outro.mp4", "-i", "/k.mp4", "-stream_loop",
                                            "-1", "-i", "/a.mp3"}));
  std::vector<std::string> tail(args.end() - 23, args.end());
  EXPECT_EQ(tail, (std::vector<std::string>{
                      "-map", "[video]",  "-map",     "4:a",     "-aspect",       "9:16",
                      "-s",   "720x1280", "-pix_fmt", "yuv420p", "-vcodec",       "libx264",
                      "-r:v", "30",       "-preset",  "medium",  "-crf",          "30",
                      "-b:v", "3000k",    "-t",       "12",      "/out/.part.mp4"}));
  const std::string& graph = args[15];
  EXPECT_EQ(args[14], "-filter_complex");
  ExpectWellLinked(graph, "", {"0:v", "1:v", "2:v", "3:v"}, "video");
  EXPECT_NE(graph.find("[0:v]split=4[stretch1][stretch2][stretch3][stretch4]"), std::string::npos);
  EXPECT_NE(graph.find("[stretch2]trim=start=2:duration=3,setpts=PTS-STARTPTS,"),
            std::string::npos);
  EXPECT_NE(graph.find("[1:v]scale=720:1280,setsar=1,fps=30,format=yuv420p[intro]"),
            std::string::npos);
  EXPECT_NE(graph.find("[intro][part1][part2][part3][segment4][outro]concat=n=6:v=1:a=0[joined]"),
            std::string::npos);
  EXPECT_NE(
      graph.find("[3:v]scale=720x1280,colorkey=black:0.35:0.25,tpad=stop=-1:stop_mode=clone[keyed];"
                 "[joined][keyed]overlay=x=0:shortest=1[video]"),
      std::string::npos);
}

TEST(OnePassGraph, SmallerItems) {
  OnePassItem item = WholeItem();
  item.intro.clear();
  item.outro.clear();
  item.audio.clear();
  item.blackScreen = false;
  OnePassCommand command = BuildOnePassCommand(item);
  ASSERT_EQ(command.error, "");
  EXPECT_EQ(command.seconds, 10);
  const std::string& graph = command.args[7];
  EXPECT_NE(
      graph.find(
          "[1:v]scale=720x1280,chromakey=0x00FF00:0.3:0.08,tpad=stop=-1:stop_mode=clone[keyed]"),
      std::string::npos)
      << graph;
  EXPECT_EQ(std::count(command.args.begin(), command.args.end(), "-map"), 1);
  EXPECT_EQ(std::count(command.args.begin(), command.args.end(), "-stream_loop"), 0);

  item.overlay.clear();
  item.parts = {{5, 2, ""}};
  command = BuildOnePassCommand(item);
  EXPECT_EQ(command.args[4], "-filter_complex");
  EXPECT_EQ(command.args[5].rfind("[0:v]trim=start=5:duration=3,", 0), 0u) << command.args[5];
  EXPECT_EQ(command.args[7], "[joined]");

  for (std::vector<ItemPart> parts : {std::vector<ItemPart>{}, std::vector<ItemPart>{{0, 0, ""}},
                                      std::vector<ItemPart>{{0, 2, "特效999"}}}) {
    item.parts = parts;
    EXPECT_NE(BuildOnePassCommand(item).error, "");
  }
}

// The source's own sound follows the parts as they join: each part's stretch
// of the source (an effect longer than its stretch padded with silence),
// intro and outro with their own sound or silence; music only when laid under.
TEST(OnePassGraph, TheSourcesSoundFollowsItsParts) {
  struct Case {
    SoundMode mode;
    bool introSound;
    std::vector<std::string> present;
    std::vector<std::string> absent;
  } cases[] = {
      // Intro 4, the four parts 5 to 8 (opened after the video's inputs).
      {SoundMode::kSource,
       true,
       {"-vn -ss 0.000 -t 1.480 -i /intro.mp4 ", "atrim=0:1.480[snd1]",
        "-vn -ss 2.000 -t 2.000 -i /media/it's [a],b.mp4 ",
        "-vn -ss 6.000 -t 3.000 -i /media/it's [a],b.mp4 -filter_complex", "[4:a]asetpts",
        "[6:a]asetpts=PTS-STARTPTS,aformat=sample_rates=48000:channel_layouts=stereo,"
        "apad=whole_dur=3.000,atrim=0:3.000[snd3]",
        "anullsrc=r=48000:cl=stereo,atrim=0:0.750[snd6]",
        "[snd1][snd2][snd3][snd4][snd5][snd6]concat=n=6:v=0:a=1"},
       {"amix", "[9:a]", "-stream_loop", "/outro.mp4 -vn"}},
      // The music is input 4; a silent intro opens nothing.
      {SoundMode::kBoth,
       false,
       {"-stream_loop -1 -i /a.mp3 -vn -ss 0.000 -t 2.000 -i /media",
        "anullsrc=r=48000:cl=stereo,atrim=0:1.480[snd1]", "[5:a]asetpts", "[8:a]asetpts",
        "[4:a]aformat=", "volume=0.30", "amix=inputs=2:duration=first:normalize=0[sound]"},
       {"[9:a]", "-t 1.500 -i /intro.mp4"}},
  };
  for (const Case& c : cases) {
    OnePassItem item = WholeItem();
    item.sound.mode = c.mode;
    item.introSound = c.introSound;
    // An intro whose sound runs past its pictures: its sound lasts its pictures.
    item.introPictures = 1.48;
    OnePassCommand command = BuildOnePassCommand(item);
    ASSERT_EQ(command.error, "");
    std::string text;
    for (const std::string& arg : command.args) text += arg + " ";
    for (const std::string& piece : c.present)
      EXPECT_NE(text.find(piece), std::string::npos) << piece;
    for (const std::string& piece : c.absent)
      EXPECT_EQ(text.find(piece), std::string::npos) << piece;
    auto map = std::find(command.args.begin(), command.args.end(), "[video]");
    ASSERT_NE(map, command.args.end());
    EXPECT_EQ(std::vector<std::string>(map + 1, map + 3),
              (std::vector<std::string>{"-map", "[sound]"}));
    // The join keeps the video's length: the -t of the music-only command.
    EXPECT_EQ(command.seconds, 12);
  }
}

}  // namespace
}  // namespace mivora
