// The merged report of a batch as one page to look at: a row per output with
// a strip of small pictures from its start to its end, its name as a link
// that opens the video, outcome, length, size, picks and nearest sibling;
// failures first, totals at the top. The page needs nothing but itself and
// the folder of pictures beside it: no network, no scripts.
#pragma once

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "jobs/video_strip.h"

namespace mivora {

// The text safe anywhere in a page, inside attribute values too: & < > " '
// become character references.
std::string HtmlEscape(std::string_view text);

// A URL path with every byte but letters, digits, "-._~" and "/" written as
// %XX, so that no file name can end an attribute or start a scheme.
std::string PercentEncode(std::string_view path);

// The file:// URL of an absolute path.
std::string FileUrl(const std::filesystem::path& path);

// The folder of a page's pictures: "<page name without extension>_files"
// beside it.
std::filesystem::path PictureFolder(const std::filesystem::path& page);

// Writes `page` for a summary merged by MergeSummaries, making each existing
// output's strip with the encoder of `env`. Returns the empty text or a
// message saying what could not be written.
std::string WriteHtmlReport(const nlohmann::json& merged, const std::filesystem::path& page,
                            const ToolEnv& env);

}  // namespace mivora
