// Whether a file holds a video or a picture, told from its first bytes: the
// signatures of the containers and picture formats the encoder reads. A text
// or a document under a video's name is refused at import by this, before a
// run would fail on it; it reads a few bytes only, so a folder of hundreds of
// files is still listed at once.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "media/media_import.h"

namespace mivora {

// Whether `head` (a file's first bytes, at most kMediaHeadBytes) starts as a
// video container (MP4/MOV, Matroska/WebM, AVI, MPEG-TS, MPEG program or
// elementary streams, FLV, ASF) or a picture (JPEG, PNG, GIF, BMP, WebP,
// TIFF), as `kind` needs: audio files are not judged here.
bool HeadIsMedia(std::string_view head, MediaKind kind);

// Enough for an MPEG-TS file's second packet.
inline constexpr std::size_t kMediaHeadBytes = 192;

// The same for a file on disk; false for one that cannot be read.
bool FileIsMedia(const std::filesystem::path& file, MediaKind kind);

// What the import's log says of a refused file, with its line break.
std::string NotMediaLine(const std::filesystem::path& file, MediaKind kind);

}  // namespace mivora
