// Videos and pictures are told by their first bytes: every container and
// picture format the encoder writes is taken, a text or an empty file under a
// media name is not, and a picture is no video nor the other way round.
#include "media/media_content.h"

#include <gtest/gtest.h>

#include <string>

namespace mivora {
namespace {

using namespace std::string_literals;

TEST(MediaContent, TellsVideosAndPicturesByTheirFirstBytes) {
  const std::string ts = "\x47"s + std::string(187, '\xff') + "\x47"s;
  struct Case {
    const char* what;
    std::string head;
    MediaKind kind;
    bool media;
  } cases[] = {
      {"an MP4",
       "\0\0\0\x18"s
       "ftypisom",
       MediaKind::kSourceVideos, true},
      {"an MP4 with its index first", "\0\0\0\x08moov"s, MediaKind::kIntros, true},
      {"a Matroska file", "\x1A\x45\xDF\xA3\x01", MediaKind::kBlackScreens, true},
      {"an AVI", "RIFF\x10\0\0\0AVI LIST"s, MediaKind::kSourceVideos, true},
      {"an MPEG-TS", ts, MediaKind::kSourceVideos, true},
      {"a raw H.264 stream", "\0\0\0\x01\x67"s, MediaKind::kSourceVideos, true},
      {"an MPEG program stream", "\0\0\x01\xBA"s, MediaKind::kOutros, true},
      {"an FLV", "FLV\x01\x05"s, MediaKind::kGreenScreens, true},
      {"a text", "hello, this is no video", MediaKind::kSourceVideos, false},
      {"a text beginning as a TS packet would", "Good morning", MediaKind::kSourceVideos, false},
      {"an empty file", "", MediaKind::kSourceVideos, false},
      {"a picture as a video", "\xFF\xD8\xFF\xE0", MediaKind::kSourceVideos, false},
      {"a WAV as a video", "RIFF\x10\0\0\0WAVEfmt "s, MediaKind::kSourceVideos, false},
      {"an mp3 as a video", "ID3\x04", MediaKind::kSourceVideos, false},
      {"a JPEG", "\xFF\xD8\xFF\xE0\0\x10JFIF"s, MediaKind::kSourceImages, true},
      {"a PNG", "\x89PNG\r\n\x1A\n", MediaKind::kSourceImages, true},
      {"a GIF", "GIF89a", MediaKind::kSourceImages, true},
      {"a BMP", "BM\x36\x10\0\0\0\0\0\0"s, MediaKind::kSourceImages, true},
      {"a text beginning as a BMP would", "BMW is a car maker", MediaKind::kSourceImages, false},
      {"a WebP", "RIFF\x10\0\0\0WEBPVP8 "s, MediaKind::kSourceImages, true},
      {"a TIFF", "II*\0"s, MediaKind::kSourceImages, true},
      {"a video as a picture",
       "\0\0\0\x18"s
       "ftypisom",
       MediaKind::kSourceImages, false},
      {"a text as a picture", "not a picture", MediaKind::kSourceImages, false},
      {"audio is not judged", "anything", MediaKind::kAudio, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(HeadIsMedia(c.head, c.kind), c.media) << c.what;
  }
  EXPECT_EQ(NotMediaLine("/h/测试视频剪辑/a.mp4", MediaKind::kSourceVideos),
            "不是视频文件，未导入：/h/测试视频剪辑/a.mp4\r\n");
  EXPECT_EQ(NotMediaLine("/h/测试图片剪辑/a.jpg", MediaKind::kSourceImages),
            "不是图片文件，未导入：/h/测试图片剪辑/a.jpg\r\n");
}

}  // namespace
}  // namespace mivora
