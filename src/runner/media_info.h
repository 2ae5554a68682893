// The shape of a picture as the encoder reports it: what "ffmpeg -i FILE"
// prints about the first video stream, read into numbers. Used to decide
// whether a source, still image or clip has to be framed into 9:16.
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

#include "runner/tool.h"

namespace mivora {

struct VideoShape {
  int width = 0;  // coded size, as stored
  int height = 0;
  int sarNum = 1;  // pixel shape; an unknown one ("0:1" or none) is square
  int sarDen = 1;
  int rotationDegrees = 0;  // 0, 90, 180 or 270: how far the player turns the picture

  // Width over height as the picture is shown: pixel shape and a quarter
  // turn applied. The encoder turns the picture the same way when it
  // decodes, so this is also the shape the filters receive.
  double DisplayAspect() const;
};

// The first video stream of the captured text that is not an attached cover
// picture: its "WxH [SAR a:b ...]" field, and a rotation from its
// "displaymatrix: rotation of X degrees" side data or else its "rotate"
// metadata tag, rounded to a quarter turn. Nothing when there is no such
// stream or its size is unreadable.
std::optional<VideoShape> ParseVideoShape(std::string_view captured);

// Runs "<encoder> -i <file>" (no output box) and parses the shape. Nothing
// when the encoder cannot read the file or the run was stopped.
std::optional<VideoShape> ProbeVideoShape(const ToolEnv& env, const std::filesystem::path& file);

// A source as "<encoder> -i FILE" reports it: its length with the fraction
// and its picture's shape (nothing: no picture the encoder can read).
struct SourceInfo {
  double seconds = 0;
  std::optional<VideoShape> shape;
  // Its audio is of a kind an MP4 cannot take by stream copy (PCM).
  bool audioNeedsEncoding = false;
  // It has sound and no video stream at all (a cover picture is none).
  bool soundOnly = false;
  // The length was guessed from the file's size and a bit rate in a header
  // (raw streams hold no times), which can be far off.
  bool lengthGuessed = false;
  // It has an audio stream.
  bool hasSound = false;
};

SourceInfo ProbeSource(const ToolEnv& env, const std::filesystem::path& file);

// The same read from a captured "<encoder> -i FILE" text.
SourceInfo ParseSourceInfo(std::string_view captured);

// The length of the pictures alone, from the first picture's time to the end
// of the last, read from a frame listing ("-f framecrc": a "#tb 0: a/b" line,
// then one "stream, dts, pts, duration, size, crc" line per packet); 0 when
// it lists none. A file's own length follows its longest stream, often its
// audio, which a join of pictures does not.
double ParseFrameListSeconds(std::string_view listing);

// Lists the first video stream's packets by stream copy and reads the length
// of its pictures; 0 when there are none or the run was stopped.
double ProbeVideoSeconds(const ToolEnv& env, const std::filesystem::path& file);

}  // namespace mivora
