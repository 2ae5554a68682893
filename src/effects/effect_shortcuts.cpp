// The rotations turn a strip or the whole picture inside a square as wide as
// the picture's diagonal, most of which the 720x1280 canvas never shows, and
// carry an alpha plane that only matters where one turned copy lies over
// another. The shortcuts cut each square to the part the canvas shows, keeping
// its centre: as much comes off one side as off the other, and the overlay
// moves by that much, always an even number of pixels, so luma and chroma land
// where they did. A copy laid first on the black canvas turns without alpha
// over a black fill, which shows what the canvas showed through the
// transparent fill; only the chroma of the pixels along its edge can differ.
#include "effects/effect_shortcuts.h"

#include <vector>

#include "effects/canvas_fill.h"
#include "effects/effect_catalogue.h"

namespace mivora {
namespace {

// 特效61 to 特效63: strips of 360x1280 turned inside 1330x1330, laid at
// x=-485 and x=-125 (taken as -486 and -126: the overlay keeps x even) and 25
// rows above the canvas (-26). The canvas shows columns 486..1205 of the first
// and 126..845 of the second, rows 26..1305 of both: 124, 126 and 24 pixels
// come off each side.
void AddStrips(std::vector<GraphShortcut>& list, const std::string& effect,
               const std::string& firstAngle, const std::string& secondAngle) {
  const std::string turn = "':ow='hypot(iw,ih)':oh=ow:c=0x00000000";
  list.push_back({effect, "rotate='" + firstAngle + turn + "[watermark0]",
                  "rotate='" + firstAngle +
                      "':ow='hypot(iw,ih)-248':oh='hypot(iw,ih)-48':c=black,format=yuv420p"
                      "[watermark0]"});
  list.push_back({effect, "rotate='" + secondAngle + turn + "[watermark1]",
                  "rotate='" + secondAngle +
                      "':ow='hypot(iw,ih)-252':oh='hypot(iw,ih)-48':c=0x00000000[watermark1]"});
  list.push_back({effect, "overlay=x=-485:y=(H-h)/2", "overlay=x=-362:y=(H-h)/2"});
  list.push_back({effect, "overlay=x=-125:y=(H-h)/2", "overlay=x=0:y=(H-h)/2"});
}

std::vector<GraphShortcut> MakeShortcuts() {
  std::vector<GraphShortcut> list;
  AddStrips(list, "特效61", "t*45*PI/180", "t*-45*PI/180");
  AddStrips(list, "特效62", "t*-45*PI/180", "t*45*PI/180");
  AddStrips(list, "特效63", "if(lte(t,1.5),t*-360*PI/90,0)", "if(lte(t,1.5),t*360*PI/90,0)");
  // 特效64: the whole 720x1280 picture turned inside 1469x1469 and centred at
  // x=-374, y=-94; 721x1281 keeps the half pixel its centre sits off the
  // canvas's.
  list.push_back(
      {"特效64",
       "rotate='if(lte(t,2),t*360*PI/180,0)':ow='hypot(iw,ih)':oh=ow:c=0x00000000[watermark0]",
       "rotate='if(lte(t,2),t*360*PI/180,0)':ow='hypot(iw,ih)-748':oh='hypot(iw,ih)-188':"
       "c=black,format=yuv420p[watermark0]"});
  return list;
}

std::size_t CountOf(std::string_view text, std::string_view piece) {
  std::size_t count = 0;
  for (std::size_t at = text.find(piece); at != std::string_view::npos;
       at = text.find(piece, at + piece.size())) {
    ++count;
  }
  return count;
}

}  // namespace

const std::vector<GraphShortcut>& GraphShortcuts() {
  static const std::vector<GraphShortcut> shortcuts = MakeShortcuts();
  return shortcuts;
}

std::string ApplyShortcuts(std::string_view effect, std::string_view templateText,
                           const std::vector<GraphShortcut>& shortcuts) {
  std::string text(templateText);
  for (const GraphShortcut& shortcut : shortcuts) {
    if (shortcut.effect != effect) continue;
    if (CountOf(text, shortcut.from) != 1) return std::string(templateText);
    text.replace(text.find(shortcut.from), shortcut.from.size(), shortcut.to);
  }
  return text;
}

std::string OnePassTemplate(std::string_view effect, const Canvas& canvas) {
  if (canvas != kBaseCanvas) return FitTemplateToCanvas(EffectTemplate(effect), canvas);
  return ApplyShortcuts(effect, EffectTemplate(effect), GraphShortcuts());
}

}  // namespace mivora
