// Filling the stored templates for a canvas: the base canvas keeps every
// command as stored, and on the large one only pixel amounts grow.
#include "effects/canvas_fill.h"

#include <gtest/gtest.h>

#include "effects/effect_catalogue.h"

namespace mivora {
namespace {

TEST(CanvasFill, TheTemplatesOwnCanvasKeepsEveryCommandAsStored) {
  for (int number = 1; number <= kEffectCount; ++number) {
    const std::string stored = EffectTemplate(EffectName(number));
    EXPECT_EQ(FitTemplateToCanvas(stored, kBaseCanvas), stored) << number;
    EXPECT_NE(FitTemplateToCanvas(stored, kLargeCanvas), stored) << number;
  }
}

TEST(CanvasFill, OnlyPixelAmountsGrowByTheFactor) {
  struct Case {
    const char* what;
    const char* graph;
    const char* filled;
  } cases[] = {
      {"sizes, positions and amounts beside a time",
       "scale=720x1280,scale=-2:'482+800*abs(sin((t-2)*2*PI/8))'",
       "scale=1080x1920,scale=-2:'723+1200*abs(sin((t-2)*2*PI/8))'"},
      {"ratios of a picture's own size",
       "pad=iw*2:2*ih[1];[1]crop=iw/2:ih/2:0:640,overlay=(W-w)/2:(H-h-10)",
       "pad=iw*2:2*ih[1];[1]crop=iw/2:ih/2:0:960,overlay=(W-w)/2:(H-h-15)"},
      {"speeds, and negative places", "overlay=x='W-w-t*200-w':y=-485,overlay=x='(-t)*350+h'",
       "overlay=x='W-w-t*300-w':y=-728,overlay=x='(-t)*525+h'"},
      {"comparisons on time and frame number",
       "overlay=x='if(gte(n,8),if(gte(n,45),NaN,150),NaN)':300:enable='between (t,0,2)',"
       "overlay='if(gte(mod(n,2),1), 0, NAN)',overlay=x='if(lte(t,2),(t)*350-w,0)'",
       "overlay=x='if(gte(n,8),if(gte(n,45),NaN,225),NaN)':450:enable='between (t,0,2)',"
       "overlay='if(gte(mod(n,2),1), 0, NAN)',overlay=x='if(lte(t,2),(t)*525-w,0)'"},
      {"decimals, hexadecimal and angles",
       "overlay=2.0*w,rotate='t*-360*PI/90':c=0x00000000,rotate='PI*5/10*t'",
       "overlay=2.0*w,rotate='t*-360*PI/90':c=0x00000000,rotate='PI*5/10*t'"},
      {"filters without pixel amounts",
       "fade=in:0:60,lutyuv=u=128,split=5[a],unsharp=luma_msize_x=7,hue=H=2*PI*t,movie=D\\\\:/"
       "1.mp4",
       "fade=in:0:60,lutyuv=u=128,split=5[a],unsharp=luma_msize_x=7,hue=H=2*PI*t,movie=D\\\\:/"
       "1.mp4"},
      {"blur radii and neighbour offsets",
       "boxblur=10:2:cr=0:ar=0,gblur=sigma=5,geq=lum_expr='(p(X,Y)+(256-p(X-4,Y-4)))/2'",
       "boxblur=15:2:cr=0:ar=0,gblur=sigma=7.5,geq=lum_expr='(p(X,Y)+(256-p(X-6,Y-6)))/2'"},
      {"labels stay", "[in_1][v1-1]overlay=50:100[a1]", "[in_1][v1-1]overlay=75:150[a1]"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ScaleGraphPixels(c.graph, CanvasFactor(kLargeCanvas)), c.filled) << c.what;
  }
}

TEST(CanvasFill, TheCommandsFrameBitRateAndGeneratedBackgroundsFollowTheCanvas) {
  const std::string stored =
      "ffmpeg -y -f lavfi -i color=black:s=720x1280 -i in.mp4 -stream_loop -1 -i a.mp3 "
      "-filter_complex \"[0:v][1:v]overlay=x=(t)*250:y=0\" -crf 30 -t 3 -aspect 9:16 "
      "-s \"720x1280\" -b:v 3000k out.mp4";
  EXPECT_EQ(FitTemplateToCanvas(stored, kLargeCanvas),
            "ffmpeg -y -f lavfi -i color=black:s=1080x1920 -i in.mp4 -stream_loop -1 -i a.mp3 "
            "-filter_complex \"[0:v][1:v]overlay=x=(t)*375:y=0\" -crf 30 -t 3 -aspect 9:16 "
            "-s \"1080x1920\" -b:v 6750k out.mp4");
}

}  // namespace
}  // namespace mivora
