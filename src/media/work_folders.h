// The fixed folders under RunDir that every job reads from or writes into, and
// the small file operations the pipelines use to keep them tidy. None of these
// operations reports a failure: a folder that cannot be made or a file that
// cannot be deleted shows up later, when a tool run that needs it fails.
#pragma once

#include <filesystem>
#include <string_view>

namespace mivora {

// Work folders, created by Start when missing.
inline constexpr char kTempFolder[] = "临时";                  // segments of the current source
inline constexpr char kVideoOutputFolder[] = "生成视频剪辑";   // finished videos, video mode
inline constexpr char kImageOutputFolder[] = "生成图片剪辑";   // finished videos, image mode
inline constexpr char kImageVideoFolder[] = "图转视频后路径";  // videos made from the images

// Source folders the user fills; no job creates them.
inline constexpr char kIntroFolder[] = "片头";
inline constexpr char kOutroFolder[] = "片尾";
inline constexpr char kGreenScreenFolder[] = "绿幕特效";
inline constexpr char kBlackScreenFolder[] = "黑幕特效";
inline constexpr char kTestVideoFolder[] = "测试视频剪辑";
inline constexpr char kTestImageFolder[] = "测试图片剪辑";

// Work files directly in RunDir (or in an item's own work folder): the
// concatenation, the overlay result, a source brought into the frame before
// its walk, and the watermark's and the title's texts as the encoder reads them.
inline constexpr char kConcatWorkFile[] = "out临时.mp4";
inline constexpr char kOverlayWorkFile[] = "out临时tx.mp4";
inline constexpr char kFramedWorkFile[] = "out临时fit.mp4";
inline constexpr char kFramedIntroWorkFile[] = "out临时fit-intro.mp4";
inline constexpr char kFramedOutroWorkFile[] = "out临时fit-outro.mp4";
inline constexpr char kWatermarkTextFile[] = "out临时水印.txt";
inline constexpr char kTitleTextFile[] = "out临时文案.txt";

// The title list in RunDir, one title per line.
inline constexpr char kTitleListFile[] = "文案.txt";

// True when `path` names an existing folder (a link to one counts).
bool IsFolder(const std::filesystem::path& path);

// Creates the folder and every missing parent; true when the folder exists
// afterwards.
bool EnsureFolder(const std::filesystem::path& path);

// Deletes one file; a missing or undeletable file is ignored.
void DeleteWorkFile(const std::filesystem::path& path);

// Whether `name` matches a wildcard pattern of `*` (any run of characters) and
// `?` (one character), ASCII letters compared without regard to case. "*.*"
// matches every name, also one without a dot.
bool MatchesWildcard(std::string_view name, std::string_view pattern);

// Deletes every file directly in `folder` whose name matches `pattern` (an
// empty pattern matches every file), read-only files included. Subfolders and
// their content stay; errors are ignored.
void DeleteMatching(const std::filesystem::path& folder, std::string_view pattern);

// Makes sure of the four work folders under `runDir`, in a fixed order.
void PrepareWorkFolders(const std::filesystem::path& runDir);

}  // namespace mivora
