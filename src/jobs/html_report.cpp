#include "jobs/html_report.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <vector>

#include "jobs/summary_report.h"
#include "jobs/video_strip.h"

namespace mivora {
namespace {

constexpr char kStyle[] = R"(body{font-family:sans-serif;margin:1em;color:#222}
table{border-collapse:collapse;width:100%}
td,th{border:1px solid #ccc;padding:4px;vertical-align:top;text-align:left}
tr.failed td{background:#fdecea}
.strip{white-space:nowrap}
.strip img{margin-right:2px}
.picks dt{font-weight:bold}
.picks dd{margin:0 0 2px 1em;word-break:break-all}
.reason{white-space:pre-wrap;word-break:break-all}
)";

std::string Text(const nlohmann::json& object, const char* key) {
  auto found = object.find(key);
  return found != object.end() && found->is_string() ? found->get<std::string>() : std::string();
}

bool Done(const nlohmann::json& item) {
  std::string outcome = Text(item, "outcome");
  return outcome == "succeeded" || outcome == "skipped";
}

std::string Fixed(double value, const char* format) {
  char text[32];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

std::string Cell(const std::string& html) {
  return "<td>" + html + "</td>";
}

std::string PicksList(const nlohmann::json& item) {
  static constexpr std::pair<const char*, const char*> kPicks[] = {{"effect_line", "特效组合"},
                                                                   {"intro", "片头"},
                                                                   {"outro", "片尾"},
                                                                   {"overlay", "叠加特效"},
                                                                   {"audio", "音频"}};
  auto picks = item.find("picks");
  if (picks == item.end() || !picks->is_object()) return {};
  std::string html = "<dl class=\"picks\">";
  for (const auto& [key, label] : kPicks) {
    std::string value = Text(*picks, key);
    if (!value.empty())
      html += "<dt>" + std::string(label) + "</dt><dd>" + HtmlEscape(value) + "</dd>";
  }
  // The title a version drew stands beside its picks in the summary.
  if (std::string title = Text(item, "title"); !title.empty())
    html += "<dt>文案</dt><dd>" + HtmlEscape(title) + "</dd>";
  return html + "</dl>";
}

std::string NearestText(const nlohmann::json& item) {
  auto closest = item.find("closest");
  if (closest == item.end() || !closest->is_object()) return {};
  std::filesystem::path output = Text(*closest, "output");
  double distance = closest->value("distance", 1.0);
  return HtmlEscape(output.filename().string()) + "<br>差异 " + Fixed(distance, "%.3f");
}

std::string Row(const nlohmann::json& item, int number, const ToolEnv& env,
                const std::filesystem::path& folder) {
  std::filesystem::path output = Text(item, "output");
  std::error_code error;
  const bool exists = !output.empty() && std::filesystem::is_regular_file(output, error);
  std::string strip;
  std::string length;
  std::string size;
  if (exists) {
    const VideoFacts facts = MeasureVideo(env, output, folder, std::to_string(number));
    length = LengthText(facts.seconds);
    size = SizeText(facts.bytes);
    for (const std::filesystem::path& picture : facts.strip) {
      strip += "<img src=\"" + PercentEncode((folder.filename() / picture.filename()).string()) +
               "\" width=\"" + std::to_string(kStripPictureWidth) + "\" height=\"" +
               std::to_string(kStripPictureHeight) + "\" alt=\"\">";
    }
  }
  std::string name =
      exists
          ? "<a href=\"" + FileUrl(output) + "\">" + HtmlEscape(output.filename().string()) + "</a>"
          : HtmlEscape(std::filesystem::path(Text(item, "source")).filename().string());
  std::string reason = "<div>" + HtmlEscape(StatusText(item)) + "</div>";
  for (const char* detail : {"failed_step", "last_error"}) {
    std::string text = Text(item, detail);
    if (!text.empty()) reason += "<div class=\"reason\">" + HtmlEscape(text) + "</div>";
  }
  return std::string("<tr class=\"output ") + (Done(item) ? "done" : "failed") + "\">" +
         "<td class=\"strip\">" + strip + "</td>" + Cell(name) + Cell(reason) + Cell(length) +
         Cell(size) + Cell(PicksList(item)) + Cell(NearestText(item)) + "</tr>\n";
}

}  // namespace

std::string HtmlEscape(std::string_view text) {
  std::string escaped;
  for (char c : text) {
    switch (c) {
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      case '"':
        escaped += "&quot;";
        break;
      case '\'':
        escaped += "&#39;";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

std::string PercentEncode(std::string_view path) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string encoded;
  for (char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    bool plain = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                 (byte >= '0' && byte <= '9') || c == '-' || c == '.' || c == '_' || c == '~' ||
                 c == '/';
    if (plain) {
      encoded += c;
    } else {
      encoded += '%';
      encoded += kDigits[byte >> 4];
      encoded += kDigits[byte & 0xF];
    }
  }
  return encoded;
}

std::string FileUrl(const std::filesystem::path& path) {
  return "file://" + PercentEncode(path.string());
}

std::filesystem::path PictureFolder(const std::filesystem::path& page) {
  return page.parent_path() / (page.stem().string() + "_files");
}

std::string WriteHtmlReport(const nlohmann::json& merged, const std::filesystem::path& page,
                            const ToolEnv& env) {
  const std::filesystem::path folder = PictureFolder(page);
  std::error_code error;
  std::filesystem::remove_all(folder, error);
  std::filesystem::create_directories(folder, error);
  if (error) return "无法创建图片目录：" + folder.string();

  std::vector<nlohmann::json> items(merged["items"].begin(), merged["items"].end());
  std::stable_partition(items.begin(), items.end(),
                        [](const nlohmann::json& item) { return !Done(item); });
  std::ostringstream html;
  html << "<!DOCTYPE html>\n<html lang=\"zh-CN\"><head><meta charset=\"utf-8\">"
       << "<title>批量报告</title><style>" << kStyle << "</style></head><body>\n"
       << "<h1>批量报告</h1>\n<p class=\"totals\">" << HtmlEscape(TotalsLine(merged))
       << "</p>\n<table><thead><tr><th>画面</th><th>名称</th><th>结果</th><th>时长</th>"
       << "<th>大小</th><th>选择</th><th>最相近的版本</th></tr></thead><tbody>\n";
  int number = 0;
  for (const nlohmann::json& item : items) {
    if (env.token.IsCancelled()) return "已停止";
    html << Row(item, ++number, env, folder);
  }
  html << "</tbody></table></body></html>\n";
  std::ofstream out(page, std::ios::binary | std::ios::trunc);
  out << html.str();
  out.close();
  if (!out) return "无法写入报告页面：" + page.string();
  return {};
}

}  // namespace mivora
