// The seventy effects as one table. Each entry names its input set, filter
// option, gaps and tail; the template is assembled from the entry, so an entry
// reads like a row of the catalogue and its graph is kept exactly as written.
#include "effects/effect_catalogue.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <string_view>

namespace mivora {
namespace {

constexpr std::string_view kHead = R"(D:\ffmpeg\bin\ffmpeg.exe -y)";

// The inputs; their order fixes the stream numbers the graphs use.
constexpr std::string_view kSourceInput = R"(-i D:\1.mp4)";
constexpr std::string_view kWideSourceInput = R"(-i  D:\1.mp4)";
constexpr std::string_view kCanvasInput = "-f lavfi -i color=black:s=720x1280";
constexpr std::string_view kCanvasAltInput = R"(-f lavfi -i "color=s=720x1280:color=black")";
constexpr std::string_view kAudioInput = R"(-stream_loop -1 -i D:\1.mp3)";

enum InputSet {
  kSource,
  kSource2,
  kSource3,
  kSource4,
  kCanvasSource,
  kCanvasSource2,
  kSourceCanvas,
  kSourceCanvasAudio,
  kCanvas,
  kCanvasAltAudio,  // the canvas in its second spelling, then the looped audio
};

// Up to four inputs per set; an empty text ends a shorter set.
using InputList = std::array<std::string_view, 4>;

constexpr std::array<InputList, 10> kInputSets = {{
    /* kSource */ {kSourceInput},
    /* kSource2 */ {kSourceInput, kSourceInput},
    /* kSource3 */ {kSourceInput, kSourceInput, kSourceInput},
    /* kSource4 */ {kSourceInput, kSourceInput, kSourceInput, kSourceInput},
    /* kCanvasSource */ {kCanvasInput, kSourceInput},
    /* kCanvasSource2 */ {kCanvasInput, kSourceInput, kSourceInput},
    /* kSourceCanvas */ {kSourceInput, kCanvasInput},
    /* kSourceCanvasAudio */ {kSourceInput, kCanvasInput, kAudioInput},
    /* kCanvas */ {kCanvasInput},
    /* kCanvasAltAudio */ {kCanvasAltInput, kAudioInput},
}};

enum FilterOption {
  kVf,       // one chain on the first video input, graph in double quotes
  kVfBare,   // the same, graph written as a bare argument
  kComplex,  // -filter_complex, graph in double quotes
};

// Output options; the duration goes between the two halves.
enum class Tail { A, B, C, D, E, F };

struct TailText {
  std::string_view beforeDuration;
  std::string_view afterDuration;
};

constexpr std::array<TailText, 6> kTails = {{
    // A: named encoder, pixel format and bit rate
    {"-pix_fmt yuv420p -vcodec libx264 -r:v 30 -preset medium -crf 30 -t ",
     R"( -aspect 9:16 -s "720x1280" -b:v 3000k D:\out.mp4)"},
    // B: the encoder's default for ".mp4", with bit rate
    {"-r:v 30 -preset medium -crf 30 -t ", R"( -aspect 9:16 -s "720x1280" -b:v 3000k D:\out.mp4)"},
    // C: the frame size unquoted
    {"-c:v libx264 -r:v 30 -preset medium -crf 30 -t ", R"( -aspect 9:16 -s 720x1280 D:\out.mp4)"},
    // D: the encoder's default, no bit rate
    {"-r:v 30 -preset medium -crf 30 -t ", R"( -aspect 9:16 -s "720x1280" D:\out.mp4)"},
    // E: named encoder, no bit rate
    {"-c:v libx264 -r:v 30 -preset medium -crf 30 -t ",
     R"( -aspect 9:16 -s "720x1280" D:\out.mp4)"},
    // F: no frame rate, no quality
    {"-c:v libx264 -t ", R"( -aspect 9:16 -s "720x1280" D:\out.mp4)"},
}};

// Places where the stored templates carry two blanks instead of one. The
// encoder reads both alike; they are kept so every template stays as stored.
enum Gap : unsigned {
  kNoGap = 0,
  kGapAfterHead = 1 << 0,         // "-y  -i"
  kGapBeforeThirdInput = 1 << 1,  // "D:\1.mp4  -i D:\1.mp4"
  kGapInSourceInput = 1 << 2,     // "-i  D:\1.mp4"
  kGapAfterFilter = 1 << 3,       // "-vf  <graph>"
  kGapBeforeLoop = 1 << 4,        // "  -stream_loop"
  kGapBeforeTail = 1 << 5,        // "<graph>  -c:v"
};

struct Effect {
  int number;  // the name is "特效" + number
  int durationSeconds;
  InputSet inputs;
  FilterOption filter;
  Tail tail;
  unsigned gaps;
  std::string_view graph;
};

// clang-format off
constexpr std::array<Effect, kEffectCount> kEffects = {{
    // 特效1: Two copies side by side (the frame padded to double width).
    {1, 2, kSource2, kComplex, Tail::A, kGapAfterHead,
     R"([0:v]pad=iw*2:ih*1[a];[a][1:v]overlay=w)"},
    // 特效2: Three copies side by side.
    {2, 2, kSource3, kComplex, Tail::A, kGapAfterHead,
     R"([0:v]pad=iw*3:ih*1[a];[a][1:v]overlay=w[b];[b][2:v]overlay=2.0*w)"},
    // 特效3: Two copies stacked vertically.
    {3, 2, kSource2, kComplex, Tail::A, kGapAfterHead,
     R"([0:v]pad=iw:ih*2[a];[a][1:v]overlay=0:h)"},
    // 特效4: Three copies stacked vertically.
    {4, 2, kSource3, kComplex, Tail::A, kGapAfterHead | kGapBeforeThirdInput,
     R"([0:v]pad=iw:ih*3[a];[a][1:v]overlay=0:h[b];[b][2:v]overlay=0:2.0*h)"},
    // 特效5: Four copies in a 2 by 2 grid.
    {5, 2, kSource4, kComplex, Tail::A, kNoGap,
     R"([0:v]pad=iw*2:ih*2[a];[a][1:v]overlay=w[b];[b][2:v]overlay=0:h[c];[c][3:v]overlay=w:h)"},
    // 特效6: Half-size copies in a 2 by 2 grid, with a full-frame copy centred on top whose
    //   height pulses as 482 + 800·|sin((t−2)·2π/8)|.
    {6, 2, kSource, kVf, Tail::A, kNoGap,
     R"(scale=iw/2:ih/2[in_tmp];[in_tmp]split=5[in_1][in_2][in_3][in_4][in_5];[in_5]crop=iw:ih:0:0,scale=720x1280,setpts=PTS-STARTPTS,scale=-2:'482+800*abs(sin((t-2)*2*PI/8))':eval=frame[flip];[in_1]pad=iw*2:ih*2[a];[a][in_2]overlay=w[b];[b][in_3]overlay=0:h[d];[d][in_4]overlay=w:h[e];[e][flip]overlay=x=(W-w)/2:y=(H-h)/2[out])"},
    // 特效7: Chroma set to neutral: a grey picture.
    {7, 1, kSource, kVfBare, Tail::B, kNoGap,
     R"(lutyuv="u=128:v=128")"},
    // 特效8: Grey relief: each pixel averaged with the inverse of the pixel 4 px up and to
    //   the left.
    {8, 1, kSource, kVf, Tail::A, kNoGap,
     R"(format=gray,geq=lum_expr='(p(X,Y)+(256-p(X-4,Y-4)))/2')"},
    // 特效9: Fade in over the first 60 frames.
    {9, 2, kSource, kVf, Tail::A, kNoGap,
     R"(fade=in:0:60)"},
    // 特效10: Left half beside its horizontal mirror image.
    {10, 2, kSource, kVf, Tail::B, kNoGap,
     R"(crop=iw/2:ih:0:0,split[left][tmp];[tmp]hflip[right];[left]pad=iw*2[a];[a][right]overlay=w)"},
    // 特效11: The picture above its vertical mirror image.
    {11, 2, kSource, kVf, Tail::B, kGapInSourceInput,
     R"(split[a][b];[a]pad=0:2*ih:[1];[b]vflip[2];[1][2]overlay=0:h)"},
    // 特效12: Upper half, mirrored vertically, laid over the lower half.
    {12, 2, kSource, kVf, Tail::C, kNoGap,
     R"(split[mian][tmp];[tmp]crop=iw:ih/2:0:0,vflip[flip];[mian][flip]overlay=0:H/2)"},
    // 特效13: Hue turning a full circle per second, saturation swinging as sin(2πt) + 1.
    {13, 2, kSource, kVfBare, Tail::A, kNoGap,
     R"(hue="H=2*PI*t:s=sin(2*PI*t)+1")"},
    // 特效14: The two chroma planes swapped.
    {14, 2, kSource, kVf, Tail::B, kNoGap,
     R"(shuffleplanes=0:2:1:3)"},
    // 特效15: Box blur followed by a Gaussian blur of sigma 5.
    {15, 1, kSource, kVf, Tail::A, kGapAfterFilter,
     R"(boxblur=10:2:cr=0:ar=0,gblur=sigma=5)"},
    // 特效16: Negative of all three planes.
    {16, 1, kSource, kVfBare, Tail::D, kNoGap,
     R"(lutyuv="y=maxval+minval-val:u=maxval+minval-val:v=maxval+minval-val")"},
    // 特效17: Brightness 0.5, contrast 0.5, saturation 1.1.
    {17, 1, kSource, kVf, Tail::D, kNoGap,
     R"(eq=brightness=0.5:contrast=0.5:saturation=1.1)"},
    // 特效18: Edge detection with thresholds 0.1 and 0.4.
    {18, 1, kSource, kVf, Tail::B, kNoGap,
     R"(edgedetect=low=0.1:high=0.4)"},
    // 特效19: Sharpening (7 by 7 luma window, amount 2.5).
    {19, 1, kSource, kVfBare, Tail::B, kNoGap,
     R"(unsharp=luma_msize_x=7:luma_msize_y=7:luma_amount=2.5)"},
    // 特效20: Luma doubled.
    {20, 1, kSource, kVfBare, Tail::B, kNoGap,
     R"(lutyuv="y=2*val")"},
    // 特效21: A second copy whose height pulses as 482 + 800·|sin(t·2π/8)| over the picture
    //   at the top left, during the first 2 s.
    {21, 3, kSource2, kComplex, Tail::C, kNoGap,
     R"([0:v]scale=720x1280,setpts=PTS-STARTPTS[bg]; [1:v]scale=720x1280,setpts=PTS-STARTPTS,scale=-2:'482+800*abs(sin((t)*2*PI/8))':eval=frame[top]; [bg][top]overlay=0:0:enable='between (t,0,2)')"},
    // 特效22: As 特效21 with the pulse phase (t−2).
    {22, 3, kSource2, kComplex, Tail::C, kNoGap,
     R"([0:v]scale=720x1280,setpts=PTS-STARTPTS[bg]; [1:v]scale=720x1280,setpts=PTS-STARTPTS,scale=-2:'482+800*abs(sin((t-2)*2*PI/8))':eval=frame[top]; [bg][top]overlay=0:0:enable='between (t,0,2)')"},
    // 特效23: On black, a pulsing copy (phase t−2) centred, during the first 2 s.
    {23, 2, kCanvasSource, kComplex, Tail::C, kNoGap,
     R"([0:v]scale=720x1280,setpts=PTS-STARTPTS[bg]; [1:v]scale=720x1280,setpts=PTS-STARTPTS,scale=-2:'482+800*abs(sin((t-2)*2*PI/8))':eval=frame[top]; [bg][top]overlay=x=(W-w)/2:y=(H-h)/2:enable='between (t,0,2)')"},
    // 特效24: On black, a pulsing copy (phase t) centred, during the first 2 s.
    {24, 2, kCanvasSource, kComplex, Tail::C, kNoGap,
     R"([0:v]scale=720x1280,setpts=PTS-STARTPTS[bg]; [1:v]scale=720x1280,setpts=PTS-STARTPTS,scale=-2:'482+800*abs(sin((t)*2*PI/8))':eval=frame[top]; [bg][top]overlay=x=(W-w)/2:y=(H-h)/2:enable='between (t,0,2)')"},
    // 特效25: On black, a pulsing copy centred horizontally at the top edge.
    {25, 2, kCanvasSource, kComplex, Tail::C, kNoGap,
     R"([0:v]scale=720x1280,setpts=PTS-STARTPTS[bg]; [1:v]scale=720x1280,setpts=PTS-STARTPTS,scale=-2:'482+800*abs(sin((t)*2*PI/8))':eval=frame[top]; [bg][top]overlay=(W-w)/2:0:enable='between (t,0,2)')"},
    // 特效26: On black, a pulsing copy centred horizontally, 10 px above the bottom edge.
    {26, 2, kCanvasSource, kComplex, Tail::C, kNoGap,
     R"([0:v]scale=720x1280,setpts=PTS-STARTPTS[bg]; [1:v]scale=720x1280,setpts=PTS-STARTPTS,scale=-2:'482+800*abs(sin((t)*2*PI/8))':eval=frame[top]; [bg][top]overlay=(W-w)/2:(H-h-10):enable='between (t,0,2)')"},
    // 特效27: On black, a pulsing copy at the left edge, centred vertically.
    {27, 2, kCanvasSource, kComplex, Tail::C, kNoGap,
     R"([0:v]scale=720x1280,setpts=PTS-STARTPTS[bg]; [1:v]scale=720x1280,setpts=PTS-STARTPTS,scale=-2:'482+800*abs(sin((t)*2*PI/8))':eval=frame[top]; [bg][top]overlay=0:(H-h)/2:enable='between (t,0,2)')"},
    // 特效28: On black, a pulsing copy at the right edge, centred vertically.
    {28, 2, kCanvasSource, kComplex, Tail::C, kNoGap,
     R"([0:v]scale=720x1280,setpts=PTS-STARTPTS[bg]; [1:v]scale=720x1280,setpts=PTS-STARTPTS,scale=-2:'482+800*abs(sin((t)*2*PI/8))':eval=frame[top]; [bg][top]overlay=W-w:(H-h)/2:enable='between (t,0,2)')"},
    // 特效29: Flicker: a copy with brightness 0.7, contrast 1.5, saturation 1.5 laid over
    //   every odd frame.
    {29, 1, kSource, kVf, Tail::E, kNoGap,
     R"([in]split[ori][tmp];[tmp]crop=iw:ih:0:0,eq=brightness=0.7:contrast=1.5:saturation=1.5[eq_enhance];[ori][eq_enhance]overlay='if(gte(mod(n,2),1), 0, NAN)':'if(gte(mod(n,2),1), 0, NAN)'[out])"},
    // 特效30: Two black panels move apart sideways from the centre at 200 px/s and uncover
    //   the picture.
    {30, 2, kSourceCanvas, kComplex, Tail::E, kGapInSourceInput | kGapBeforeTail,
     R"([0:v][1:v]overlay=x=w/2+(t)*200:y=0[v1];[v1][1:v]overlay=x=-w/2-(t)*200:y=0)"},
    // 特效31: Two black panels move apart vertically at 300 px/s; the picture's own audio is
    //   mixed with the looped audio input.
    {31, 2, kSourceCanvasAudio, kComplex, Tail::E, kGapBeforeLoop | kGapBeforeTail,
     R"([0:v][1:v]overlay=x=0:y=h/2+(t)*300[v1];[v1][1:v]overlay=x=0:y=-h/2-(t)*300;[0:a][2:a]amix)"},
    // 特效32: Two black panels slide in from the sides at 200 px/s and stop at the centre
    //   line.
    {32, 2, kSourceCanvas, kComplex, Tail::E, kGapInSourceInput | kGapBeforeTail,
     R"([0:v][1:v]overlay=x='if(gte((-t)*200+w,360),(-t)*200+w,360)':y=0[v1];[v1][1:v]overlay=x='if(lte((t)*200-w,-360),(t)*200-w,-360)':y=0)"},
    // 特效33: Two black panels slide in from top and bottom and stop at the centre line; the
    //   audio input is opened but the graph does not use it.
    {33, 2, kSourceCanvasAudio, kComplex, Tail::E, kGapBeforeTail,
     R"([0:v][1:v]overlay=x=0:y='if(gte((-t)*350+h,640),(-t)*258+h,640)'[v1];[v1][1:v]overlay=x=0:y='if(lte((t)*350-h,-640),(t)*258-h,-640)')"},
    // 特效34: On black: a centred copy whose height pulses (until t = 2 s, then 1290 px); the
    //   left and right half strips slide out sideways at 200 px/s during the first 2 s.
    {34, 2, kCanvasAltAudio, kVf, Tail::E, kNoGap,
     R"(movie=D\\:/1.mp4,crop=iw/2:ih:0:360,scale=360:1280[watermark0];movie=D\\:/1.mp4,crop=iw/2:ih:360:0,scale=360:1280[watermark1];movie=D\\:/1.mp4,scale=720x1280,setpts=PTS-STARTPTS,scale=-2:'if(lte(t,2),482+800*abs(sin((t)*2*PI/8)),1290)':eval=frame[watermark2];[in][watermark2]overlay=(W-w)/2:(H-h)/2[tmpa],[tmpa][watermark0]overlay=x='W-w-t*200-w':y=0:enable='between (t,0,2)'[tmp],[tmp][watermark1]overlay=x='w+mod(t*200,W+w)':y=0:enable='between (t,0,2)'[out])"},
    // 特效35: On black: a centred pulsing copy (period 10 s); the lower and upper half bands
    //   slide down and up at 310 px/s.
    {35, 2, kCanvasAltAudio, kVf, Tail::E, kNoGap,
     R"(movie=D\\:/1.mp4,crop=iw:ih/2:0:640,scale=720:640[watermark0];movie=D\\:/1.mp4,crop=iw:ih/2:640:0,scale=720:640[watermark1];movie=D\\:/1.mp4,scale=720x1280,setpts=PTS-STARTPTS,scale=-2:'if(lte(t,2),482+800*abs(sin((t)*2*PI/10)),1290)':eval=frame[watermark2];[in][watermark2]overlay=(W-w)/2:(H-h)/2[tmpa],[tmpa][watermark0]overlay=x=0:y='h+(t)*310'[tmp],[tmp][watermark1]overlay=x=0:y='(-t)*310'[out])"},
    // 特效36: The lower and upper half bands slide down and up over the picture at 330 px/s.
    {36, 2, kSource, kVf, Tail::E, kNoGap,
     R"(movie=D\\:/1.mp4,crop=iw:ih/2:0:640,scale=720:640[watermark0];movie=D\\:/1.mp4,crop=iw:ih/2:640:0,scale=720:640[watermark1];[in][watermark0]overlay=x=0:y='h+(t)*330'[tmp],[tmp][watermark1]overlay=x=0:y='(-t)*330'[out])"},
    // 特效37: The left and right half strips slide out sideways over the picture at 200 px/s.
    {37, 2, kSource, kVf, Tail::E, kNoGap,
     R"(movie=D\\:/1.mp4,crop=iw/2:ih:0:360,scale=360:1280[watermark0];movie=D\\:/1.mp4,crop=iw/2:ih:360:0,scale=360:1280[watermark1];[in][watermark0]overlay=x='W-w-t*200-w':y=0:enable='between (t,0,4)'[tmp],[tmp][watermark1]overlay=x='w+mod(t*200,W+w)':y=0:enable='between (t,0,4)'[out])"},
    // 特效38: Three copies: the second slides right and the third slides left over the first,
    //   at 250 px/s.
    {38, 3, kSource3, kComplex, Tail::E, kNoGap,
     R"([0:v]scale=720:1280[v0];[1:v]scale=720:1280[v1];[2:v]scale=720:1280[v2];[v0][v1]overlay=x='(t)*250':y=0[aa],[aa][v2]overlay=x='(-t)*250':y=0)"},
    // 特效39: As 特效38 with the directions swapped.
    {39, 3, kSource3, kComplex, Tail::E, kNoGap,
     R"([0:v]scale=720:1280[v0];[1:v]scale=720:1280[v1];[2:v]scale=720:1280[v2];[v0][v1]overlay=x='(-t)*250':y=0[aa],[aa][v2]overlay=x='(t)*250':y=0)"},
    // 特效40: The picture slides out to the left at 250 px/s and uncovers black.
    {40, 3, kCanvasSource, kComplex, Tail::E, kNoGap,
     R"([0:v]scale=720:1280[v0];[1:v]scale=720:1280[v1];[v0][v1]overlay=x='(-t)*250':y=0)"},
    // 特效41: A black panel slides out to the left at 250 px/s and uncovers the picture.
    {41, 3, kSourceCanvas, kComplex, Tail::E, kNoGap,
     R"([0:v]scale=720:1280[v0];[1:v]scale=720:1280[v1];[v0][v1]overlay=x='(-t)*250':y=0)"},
    // 特效42: A second copy slides out to the left at 250 px/s over the first.
    {42, 3, kSource2, kComplex, Tail::E, kNoGap,
     R"([0:v]scale=720:1280[v0];[1:v]scale=720:1280[v1];[v0][v1]overlay=x='(-t)*250':y=0)"},
    // 特效43: The picture slides out to the right at 250 px/s and uncovers black.
    {43, 3, kCanvasSource, kComplex, Tail::E, kNoGap,
     R"([0:v]scale=720:1280[v0];[1:v]scale=720:1280[v1];[v0][v1]overlay=x='(t)*250':y=0)"},
    // 特效44: A black panel slides out to the right at 250 px/s and uncovers the picture.
    {44, 3, kSourceCanvas, kComplex, Tail::E, kNoGap,
     R"([0:v]scale=720:1280[v0];[1:v]scale=720:1280[v1];[v0][v1]overlay=x='(t)*250':y=0)"},
    // 特效45: A second copy slides out to the right at 250 px/s over the first.
    {45, 3, kSource2, kComplex, Tail::E, kNoGap,
     R"([0:v]scale=720:1280[v0];[1:v]scale=720:1280[v1];[v0][v1]overlay=x='(t)*250':y=0)"},
    // 特效46: The picture slides down at 440 px/s and uncovers black.
    {46, 3, kCanvasSource, kComplex, Tail::E, kNoGap,
     R"([0:v]scale=720:1280[v0];[1:v]scale=720:1280[v1];[v0][v1]overlay=x=0:y='(t)*440')"},
    // 特效47: A black panel slides down at 440 px/s and uncovers the picture.
    {47, 3, kSourceCanvas, kComplex, Tail::E, kNoGap,
     R"([0:v]scale=720:1280[v0];[1:v]scale=720:1280[v1];[v0][v1]overlay=x=0:y='(t)*440')"},
    // 特效48: A second copy slides down at 440 px/s over the first.
    {48, 3, kSource2, kComplex, Tail::E, kNoGap,
     R"([0:v]scale=720:1280[v0];[1:v]scale=720:1280[v1];[v0][v1]overlay=x=0:y='(t)*440')"},
    // 特效49: The picture slides up at 440 px/s and uncovers black.
    {49, 3, kCanvasSource, kComplex, Tail::E, kNoGap,
     R"([0:v]scale=720:1280[v0];[1:v]scale=720:1280[v1];[v0][v1]overlay=x=0:y='(-t)*440')"},
    // 特效50: A black panel slides up at 440 px/s and uncovers the picture.
    {50, 3, kSourceCanvas, kComplex, Tail::E, kNoGap,
     R"([0:v]scale=720:1280[v0];[1:v]scale=720:1280[v1];[v0][v1]overlay=x=0:y='(-t)*440')"},
    // 特效51: A second copy slides up at 440 px/s over the first.
    {51, 3, kSource2, kComplex, Tail::E, kNoGap,
     R"([0:v]scale=720:1280[v0];[1:v]scale=720:1280[v1];[v0][v1]overlay=x=0:y='(-t)*440')"},
    // 特效52: On black: four bands 320 px high slide in alternately from the left and the
    //   right at 350 px/s and rest in place from t = 2 s.
    {52, 3, kCanvas, kVf, Tail::E, kNoGap,
     R"(movie=D\\:/1.mp4,crop=iw:320:0:0,scale=720:320[watermark0];movie=D\\:/1.mp4,crop=iw:320:0:320,scale=720:320[watermark1];movie=D\\:/1.mp4,crop=iw:320:0:640,scale=720:320[watermark2];movie=D\\:/1.mp4,crop=iw:320:0:960,scale=720:320[watermark3];[in][watermark0]overlay=x='if(lte(t,2),(t)*350-w,0)':y=0[w0],[w0][watermark1]overlay=x='if(lte(t,2),(-t)*350+w,0)':y=320[w1],[w1][watermark2]overlay=x='if(lte(t,2),(t)*350-w,0)':y=640[w2],[w2][watermark3]overlay=x='if(lte(t,2),(-t)*350+w,0)':y=960[out])"},
    // 特效53: On black: four bands 320 px high drift alternately right and left at 380 px/s.
    {53, 2, kCanvas, kVf, Tail::E, kNoGap,
     R"(movie=D\\:/1.mp4,crop=iw:320:0:0,scale=720:320[watermark0];movie=D\\:/1.mp4,crop=iw:320:0:320,scale=720:320[watermark1];movie=D\\:/1.mp4,crop=iw:320:0:640,scale=720:320[watermark2];movie=D\\:/1.mp4,crop=iw:320:0:960,scale=720:320[watermark3];[in][watermark0]overlay=x='(t)*380':y=0[w0],[w0][watermark1]overlay=x='(-t)*380':y=320[w1],[w1][watermark2]overlay=x='(t)*380':y=640[w2],[w2][watermark3]overlay=x='(-t)*380':y=960[out])"},
    // 特效54: On black: four columns 180 px wide slide in alternately from the top and the
    //   bottom at 620 px/s and rest in place from t = 2 s.
    {54, 3, kCanvas, kVf, Tail::E, kNoGap,
     R"(movie=D\\:/1.mp4,crop=180:ih:0:0,scale=180:1280[watermark0];movie=D\\:/1.mp4,crop=180:ih:180:0,scale=180:1281[watermark1];movie=D\\:/1.mp4,crop=180:ih:360:0,scale=180:1280[watermark2];movie=D\\:/1.mp4,crop=180:ih:540:0,scale=180:1280[watermark3];[in][watermark0]overlay=x=0:y='if(lte(t,2),(t)*620-h,0)'[w0],[w0][watermark1]overlay=x=180:y='if(lte(t,2),(-t)*620+h,0)'[w1],[w1][watermark2]overlay=x=360:y='if(lte(t,2),(t)*620-h,0)'[w2],[w2][watermark3]overlay=x=540:y='if(lte(t,2),(-t)*620+h,0)'[out])"},
    // 特效55: As 特效54 with the first column resting from t = 1 s and the second starting
    //   lower until t = 1.1 s.
    {55, 3, kCanvas, kVf, Tail::E, kNoGap,
     R"(movie=D\\:/1.mp4,crop=180:ih:0:0,scale=180:1280[watermark0];movie=D\\:/1.mp4,crop=180:ih:180:0,scale=180:1281[watermark1];movie=D\\:/1.mp4,crop=180:ih:360:0,scale=180:1280[watermark2];movie=D\\:/1.mp4,crop=180:ih:540:0,scale=180:1280[watermark3];[in][watermark0]overlay=x=0:y='if(lte(t,1),(t)*620-h/2,0)'[w0],[w0][watermark1]overlay=x=180:y='if(lte(t,2),if(gte(t,1.1),(-t)*620+h,(-t)*620+h+h/2),0)'[w1],[w1][watermark2]overlay=x=360:y='if(lte(t,2),(t)*620-h,0)'[w2],[w2][watermark3]overlay=x=540:y='if(lte(t,2),(-t)*620+h,0)'[out])"},
    // 特效56: As 特效54 with the columns resting one after another at t = 0.8, 1.9, 2.7 and 3.7
    //   s.
    {56, 4, kCanvas, kVf, Tail::E, kNoGap,
     R"(movie=D\\:/1.mp4,crop=180:ih:0:0,scale=180:1280[watermark0];movie=D\\:/1.mp4,crop=180:ih:180:0,scale=180:1281[watermark1];movie=D\\:/1.mp4,crop=180:ih:360:0,scale=180:1280[watermark2];movie=D\\:/1.mp4,crop=180:ih:540:0,scale=180:1280[watermark3];[in][watermark0]overlay=x=0:y='if(lte(t,0.8),(t)*620-h/2,0)'[w0],[w0][watermark1]overlay=x=180:y='if(lte(t,1.9), if(gte(t,1.2),(-t)*620+h,(-t)*620+h+h/2) ,0)'[w1],[w1][watermark2]overlay=x=360:y='if(lte(t,2.7), if(gte(t,1.9),(t)*620-h-h/2,(t)*620-h-h) ,0)'[w2],[w2][watermark3]overlay=x=540:y='if(lte(t,3.7), if(gte(t,2.9),(-t)*620+h+h,(-t)*620+h+h+h/2) ,0)'[out])"},
    // 特效57: On black: four columns 180 px wide drift alternately down and up at 700 px/s.
    {57, 2, kCanvas, kVf, Tail::E, kGapBeforeTail,
     R"(movie=D\\:/1.mp4,crop=180:ih:0:0,scale=180:1280[watermark0];movie=D\\:/1.mp4,crop=180:ih:180:0,scale=180:1281[watermark1];movie=D\\:/1.mp4,crop=180:ih:360:0,scale=180:1280[watermark2];movie=D\\:/1.mp4,crop=180:ih:540:0,scale=180:1280[watermark3];[in][watermark0]overlay=x=0:y='(t)*700'[w0],[w0][watermark1]overlay=x=180:y='(-t)*700'[w1],[w1][watermark2]overlay=x=360:y='(t)*700'[w2],[w2][watermark3]overlay=x=540:y='(-t)*700'[out])"},
    // 特效58: On black: four bands fall in from above at 250, 500, 750 and 1000 px/s and rest
    //   in their rows.
    {58, 3, kCanvas, kVf, Tail::E, kNoGap,
     R"(movie=D\\:/1.mp4,crop=iw:320:0:0,scale=720:320[watermark0];movie=D\\:/1.mp4,crop=iw:320:0:320,scale=720:320[watermark1];movie=D\\:/1.mp4,crop=iw:320:0:640,scale=720:320[watermark2];movie=D\\:/1.mp4,crop=iw:320:0:960,scale=720:320[watermark3];[in][watermark0]overlay=x=0:y='if(lte((t)*250,320),(t)*250-h,0)'[w0],[w0][watermark1]overlay=x=0:y='if(lte((t)*500-h,640),(t)*500-h-h,320)'[w1],[w1][watermark2]overlay=x=0:y='if(lte((t)*750-h-h,960),(t)*750-h-h-h,640)'[w2],[w2][watermark3]overlay=x=0:y='if(lte((t)*1000-h-h-h,1280),(t)*1000-h-h-h-h,960)'[out])"},
    // 特效59: On black: three columns 240 px wide slide in from the left at 150, 300 and 450
    //   px/s and rest in their places.
    {59, 3, kCanvas, kVf, Tail::E, kNoGap,
     R"(movie=D\\:/1.mp4,crop=240:ih:0:0,scale=240:1280[watermark0];movie=D\\:/1.mp4,crop=240:ih:240:0,scale=240:1281[watermark1];movie=D\\:/1.mp4,crop=240:ih:480:0,scale=240:1280[watermark2];[in][watermark0]overlay=x='if(lte((t)*150,240),(t)*150-w,0)':y=0[w0],[w0][watermark1]overlay=x='if(lte((t)*300-w,480),(t)*300-w-w,240)':y=0[w1],[w1][watermark2]overlay=x='if(lte((t)*450-w-w,720),(t)*450-w-w-w,480)':y=0[out])"},
    // 特效60: On black: three columns 240 px wide slide out to the left at 150, 300 and 450
    //   px/s.
    {60, 2, kCanvas, kVf, Tail::E, kNoGap,
     R"(movie=D\\:/1.mp4,crop=240:ih:0:0,scale=240:1280[watermark0];movie=D\\:/1.mp4,crop=240:ih:240:0,scale=240:1281[watermark1];movie=D\\:/1.mp4,crop=240:ih:480:0,scale=240:1280[watermark2];[in][watermark0]overlay=x='-(t)*150':y=0[w0],[w0][watermark1]overlay=x='-(t)*300+w':y=0[w1],[w1][watermark2]overlay=x='-(t)*450+w+w':y=0[out])"},
    // 特效61: On black: the left and right halves turn in opposite directions at 45 degrees
    //   per second, shown during the first 1.5 s.
    {61, 2, kCanvas, kVf, Tail::E, kNoGap,
     R"(movie=D\\:/1.mp4,crop=360:ih:0:0,scale=360:1280,rotate='t*45*PI/180':ow='hypot(iw,ih)':oh=ow:c=0x00000000[watermark0];movie=D\\:/1.mp4,crop=360:ih:360:0,scale=360:1280,rotate='t*-45*PI/180':ow='hypot(iw,ih)':oh=ow:c=0x00000000[watermark1];[in][watermark0]overlay=x=-485:y=(H-h)/2:enable='between (t,0,1.5)'[w0],[w0][watermark1]overlay=x=-125:y=(H-h)/2:enable='between (t,0,1.5)'[out])"},
    // 特效62: As 特效61 with the directions of turning swapped.
    {62, 2, kCanvas, kVf, Tail::E, kNoGap,
     R"(movie=D\\:/1.mp4,crop=360:ih:0:0,scale=360:1280,rotate='t*-45*PI/180':ow='hypot(iw,ih)':oh=ow:c=0x00000000[watermark0];movie=D\\:/1.mp4,crop=360:ih:360:0,scale=360:1280,rotate='t*45*PI/180':ow='hypot(iw,ih)':oh=ow:c=0x00000000[watermark1];[in][watermark0]overlay=x=-485:y=(H-h)/2:enable='between (t,0,1.5)'[w0],[w0][watermark1]overlay=x=-125:y=(H-h)/2:enable='between (t,0,1.5)'[out])"},
    // 特效63: On black: the left and right halves spin in opposite directions (two turns per
    //   second) until t = 1.5 s, then stand upright.
    {63, 2, kCanvas, kVf, Tail::E, kNoGap,
     R"(movie=D\\:/1.mp4,crop=360:ih:0:0,scale=360:1280,rotate='if(lte(t,1.5),t*-360*PI/90,0)':ow='hypot(iw,ih)':oh=ow:c=0x00000000[watermark0];movie=D\\:/1.mp4,crop=360:ih:360:0,scale=360:1280,rotate='if(lte(t,1.5),t*360*PI/90,0)':ow='hypot(iw,ih)':oh=ow:c=0x00000000[watermark1];[in][watermark0]overlay=x=-485:y=(H-h)/2[w0],[w0][watermark1]overlay=x=-125:y=(H-h)/2[out])"},
    // 特效64: On black: a full-width copy turning once per second until t = 2 s, with copies
    //   540, 360 and 180 px wide sliding into place over it.
    {64, 3, kCanvas, kVf, Tail::E, kNoGap,
     R"(movie=D\\:/1.mp4,scale=720:-2,rotate='if(lte(t,2),t*360*PI/180,0)':ow='hypot(iw,ih)':oh=ow:c=0x00000000[watermark0];movie=D\\:/1.mp4,scale=540:-2[watermark1];movie=D\\:/1.mp4,scale=360:-2[watermark2];movie=D\\:/1.mp4,scale=180:-2[watermark3];[in][watermark0]overlay=x=(W-w)/2:y=(H-h)/2[w0],[w0][watermark1]overlay=x='if(lte((t)*330-w,90),(t)*330-w,90)':y=(H-h)/2[w1],[w1][watermark2]overlay=x='if(gte(w-(t)*330+w,180),w-(t)*330+w,180)':y=(H-h)/2[w2],[w2][watermark3]overlay=x=(W-w)/2:y='if(gte(H-h+(-t)*300+h,640-h/2),H-h+(-t)*300+h,640-h/2)'[out])"},
    // 特效65: On black: a copy 360 px wide turning a quarter turn per second in the centre,
    //   while the left and right halves slide in from the sides at 150 px/s and stop.
    {65, 3, kCanvasSource2, kComplex, Tail::E, kNoGap,
     R"([2:v]scale=360:-2,format=bgra,rotate='PI*5/10*t':ow='hypot(iw,ih)':oh=ow:c=0x00000000[v2];[1:v]crop=360:ih:0:0,scale=360:1280[vz];[1:v]crop=360:ih:360:0,scale=360:1280[vy];[0:v][v2]overlay=(W-w)/2:(H-h)/2[bb],[bb][vz]overlay=x='if(lte(t*150-w,0),t*150-w,0)':y=0[tmp],[tmp][vy]overlay=x='if(gte((w-t*150+w),360),(w-t*150+w),360)':y=0)"},
    // 特效66: On black: seven thumbnails 180 px wide appear by frame number (frames 0, 8, 16,
    //   24, 32, 45, 45); the second and fourth vanish at frame 45.
    {66, 3, kCanvasSource, kComplex, Tail::E, kNoGap,
     R"([1:v]scale=180:-2[v1-1];[1:v]scale=180:-2[v1-2];[1:v]scale=180:-2[v1-3];[1:v]scale=180:-2[v1-4];[1:v]scale=180:-2[v1-5];[1:v]scale=180:-2[v1-6];[1:v]scale=180:-2[v1-7];[0:v][v1-1]overlay=x='if(gte(n,0),50,NaN)':100[a1],[a1][v1-2]overlay=x='if(gte(n,8),  if(gte(n,45),NaN,150)  ,NaN)':300[a2],[a2][v1-3]overlay=x='if(gte(n,16),250,NaN)':500[a3],[a3][v1-4]overlay=x='if(gte(n,24),  if(gte(n,45),NaN,350)  ,NaN)':700[a4],[a4][v1-5]overlay='if(gte(n,32),'450',NaN)':900[a5],[a5][v1-6]overlay='if(gte(n,45),450,NaN)':100[a6],[a6][v1-7]overlay='if(gte(n,45),50,NaN)':900)"},
    // 特效67: On black: five thumbnails 180 px wide appear by frame number (frames 0, 8, 16,
    //   24, 32) along a diagonal.
    {67, 3, kCanvasSource, kComplex, Tail::E, kGapInSourceInput,
     R"([1:v]scale=180:-2[v1-1];[1:v]scale=180:-2[v1-2];[1:v]scale=180:-2[v1-3];[1:v]scale=180:-2[v1-4];[1:v]scale=180:-2[v1-5];[0:v][v1-1]overlay=x='if(gte(n,0),'50',NaN)':100[a1],[a1][v1-2]overlay=x='if(gte(n,8),'150',NaN)':300[a2],[a2][v1-3]overlay=x='if(gte(n,16),'250',NaN)':500[a3],[a3][v1-4]overlay=x='if(gte(n,24),'350',NaN)':700[a4],[a4][v1-5]overlay='if(gte(n,32),'450',NaN)':900)"},
    // 特效68: On black: the picture, fading in over 35 frames, swings in from the left (x =
    //   710·sin²t − w up to frame 40, then 0).
    {68, 3, kCanvas, kVf, Tail::F, kNoGap,
     R"(movie=D\\:/1.mp4,crop=iw:ih:0:0,scale=720:1280,fade=in:0:35[watermark0];[0:v][watermark0]overlay=x='if(lte(n,40),710*sin(t)*sin(t)-w,0)':y=0[out])"},
    // 特效69: As 特效68 from the right (x = −710·sin²t + w up to frame 40, then 0).
    {69, 3, kCanvas, kVf, Tail::F, kNoGap,
     R"(movie=D\\:/1.mp4,crop=iw:ih:0:0,scale=720:1280,fade=in:0:35[watermark0];[0:v][watermark0]overlay=x='if(lte(n,40),-710*sin(t)*sin(t)+w,0)':y=0[out])"},
    // 特效70: On black: five thumbnails 180 px wide shown from the first frame at the four
    //   corners and the centre.
    {70, 3, kCanvasSource, kComplex, Tail::E, kNoGap,
     R"([1:v]scale=180:-2[v1-1];[1:v]scale=180:-2[v1-2];[1:v]scale=180:-2[v1-3];[1:v]scale=180:-2[v1-4];[1:v]scale=180:-2[v1-5];[0:v][v1-1]overlay=x='if(gte(n,0),50,NaN)':100[a1],[a1][v1-2]overlay=x='if(gte(n,0),450,NaN)':100[a2],[a2][v1-3]overlay=x='if(gte(n,0),250,NaN)':500[a3],[a3][v1-4]overlay=x='if(gte(n,0),50,NaN)':900[a4],[a4][v1-5]overlay='if(gte(n,0),'450',NaN)':900)"},
}};
// clang-format on

constexpr bool NumberedInOrder() {
  for (std::size_t i = 0; i < kEffects.size(); ++i) {
    if (kEffects[i].number != static_cast<int>(i) + 1) return false;
  }
  return true;
}
static_assert(NumberedInOrder(), "entry k must be effect k");

std::string_view Blank(const Effect& effect, Gap gap) {
  return (effect.gaps & gap) != 0 ? "  " : " ";
}

std::string Assemble(const Effect& effect) {
  std::string text(kHead);
  text += Blank(effect, kGapAfterHead);
  const InputList& inputs = kInputSets[effect.inputs];
  for (std::size_t i = 0; i < inputs.size() && !inputs[i].empty(); ++i) {
    if (i > 0) {
      Gap gap = inputs[i] == kAudioInput ? kGapBeforeLoop : i == 2 ? kGapBeforeThirdInput : kNoGap;
      text += Blank(effect, gap);
    }
    bool wide = inputs[i] == kSourceInput && (effect.gaps & kGapInSourceInput) != 0;
    text += wide ? kWideSourceInput : inputs[i];
  }
  text += effect.filter == kComplex ? " -filter_complex" : " -vf";
  text += Blank(effect, kGapAfterFilter);
  if (effect.filter == kVfBare) {
    text += effect.graph;
  } else {
    text += '"';
    text += effect.graph;
    text += '"';
  }
  text += Blank(effect, kGapBeforeTail);
  const TailText& tail = kTails[static_cast<std::size_t>(effect.tail)];
  text += tail.beforeDuration;
  text += std::to_string(effect.durationSeconds);
  text += tail.afterDuration;
  return text;
}

// The entry whose name is exactly `name`: "特效", then its number in decimal
// without leading zeros; anything else (blanks, full-width digits) is none.
const Effect* Find(std::string_view name) {
  constexpr std::string_view kPrefix = "特效";
  if (name.size() <= kPrefix.size() || name.substr(0, kPrefix.size()) != kPrefix) return nullptr;
  std::string_view digits = name.substr(kPrefix.size());
  if (digits.size() > 3 || digits.front() == '0') return nullptr;
  int number = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return nullptr;
    number = number * 10 + (c - '0');
  }
  if (number < 1 || number > static_cast<int>(kEffects.size())) return nullptr;
  return &kEffects[static_cast<std::size_t>(number) - 1];
}

}  // namespace

std::string EffectDuration(std::string_view name) {
  const Effect* effect = Find(name);
  return effect ? std::to_string(effect->durationSeconds) : std::string();
}

std::string EffectTemplate(std::string_view name) {
  const Effect* effect = Find(name);
  return effect ? Assemble(*effect) : std::string();
}

std::string EffectName(int number) { return "特效" + std::to_string(number); }

bool EffectNeedsAudio(std::string_view name) {
  const Effect* effect = Find(name);
  if (!effect) return false;
  const InputList& inputs = kInputSets[effect->inputs];
  return std::find(inputs.begin(), inputs.end(), kAudioInput) != inputs.end();
}

}  // namespace mivora
