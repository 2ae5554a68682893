#include "media/media_content.h"

#include <array>
#include <fstream>
#include <string>

namespace mivora {
namespace {

// An MPEG-TS file is a run of packets of this size, each begun by 0x47.
constexpr std::size_t kTsPacketBytes = 188;

bool StartsWith(std::string_view head, std::string_view signature, std::size_t at = 0) {
  return head.size() >= at + signature.size() && head.substr(at, signature.size()) == signature;
}

bool IsVideo(std::string_view head) {
  using namespace std::string_view_literals;
  // ISO base media (MP4, MOV, 3GP): a box type at byte 4.
  for (std::string_view box : {"ftyp"sv, "moov"sv, "mdat"sv, "free"sv, "wide"sv, "skip"sv}) {
    if (StartsWith(head, box, 4)) return true;
  }
  // MPEG-TS packets begin with 0x47; program streams and raw H.264/H.265 or
  // MPEG video with a start code.
  return StartsWith(head, "\x1A\x45\xDF\xA3"sv) ||                         // Matroska
         (StartsWith(head, "RIFF"sv) && StartsWith(head, "AVI "sv, 8)) ||  // AVI
         (StartsWith(head, "\x47"sv) && StartsWith(head, "\x47"sv, kTsPacketBytes)) ||
         StartsWith(head, "\x00\x00\x01"sv) || StartsWith(head, "\x00\x00\x00\x01"sv) ||
         StartsWith(head, "FLV\x01"sv) ||
         StartsWith(head, "\x30\x26\xB2\x75\x8E\x66\xCF\x11"sv);  // ASF
}

bool IsPicture(std::string_view head) {
  using namespace std::string_view_literals;
  return StartsWith(head, "\xFF\xD8\xFF"sv) ||                               // JPEG
         StartsWith(head, "\x89PNG\r\n\x1A\n"sv) ||                          // PNG
         StartsWith(head, "GIF87a"sv) || StartsWith(head, "GIF89a"sv) ||     //
         (StartsWith(head, "BM"sv) && StartsWith(head, "\0\0\0\0"sv, 6)) ||  // BMP
         (StartsWith(head, "RIFF"sv) && StartsWith(head, "WEBP"sv, 8)) ||    //
         StartsWith(head, "II*\x00"sv) || StartsWith(head, "MM\x00*"sv);     // TIFF
}

}  // namespace

bool HeadIsMedia(std::string_view head, MediaKind kind) {
  switch (kind) {
    case MediaKind::kAudio:
      return true;
    case MediaKind::kSourceImages:
      return IsPicture(head);
    case MediaKind::kSourceVideos:
    case MediaKind::kIntros:
    case MediaKind::kOutros:
    case MediaKind::kGreenScreens:
    case MediaKind::kBlackScreens:
      return IsVideo(head);
  }
  return false;
}

bool FileIsMedia(const std::filesystem::path& file, MediaKind kind) {
  if (kind == MediaKind::kAudio) return true;
  std::ifstream in(file, std::ios::binary);
  std::array<char, kMediaHeadBytes> head{};
  in.read(head.data(), head.size());
  return HeadIsMedia(std::string_view(head.data(), static_cast<std::size_t>(in.gcount())), kind);
}

std::string NotMediaLine(const std::filesystem::path& file, MediaKind kind) {
  const char* what = kind == MediaKind::kSourceImages ? "图片" : "视频";
  return std::string("不是") + what + "文件，未导入：" + file.string() + "\r\n";
}

}  // namespace mivora
