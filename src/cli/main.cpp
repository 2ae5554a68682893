// mivora-cli: the pipeline of the window without a window. The commands that
// run batches (batch_commands) and those that show and try effects
// (effect_commands) add themselves to one parser; this file says the
// parser's texts in the program's language and hands over to the command.
#include <CLI/CLI.hpp>
#include <optional>
#include <string>

#include "cli/batch_commands.h"
#include "cli/command_support.h"
#include "cli/effect_commands.h"
#include "cli/interrupt_watch.h"
#include "effects/output_format.h"
#include "mivora_version.h"
#include "runner/run_token.h"
#include "runner/text.h"

namespace mivora {
namespace {

// The parser's own errors, said in the program's language. The parser's text
// after its last colon names the option or argument concerned.
std::string ParseErrorText(const CLI::ParseError& error) {
  std::string what = error.what();
  std::size_t colon = what.rfind(": ");
  std::string detail = colon == std::string::npos ? what : what.substr(colon + 2);
  switch (static_cast<CLI::ExitCodes>(error.get_exit_code())) {
    case CLI::ExitCodes::ExtrasError:
      return "未知的选项或多余的参数：" + detail;
    case CLI::ExitCodes::RequiredError:
      if (what.find("subcommand") != std::string::npos) {
        return "请给出一个命令：demo、run、report、effects 或 render-effect";
      }
      return "缺少必需的参数：" + what.substr(0, what.find(' '));
    case CLI::ExitCodes::ExcludesError:
      return "这两个选项不能同时使用：" + ReplacePairs(what, {{" excludes ", " 和 "}});
    case CLI::ExitCodes::ArgumentMismatch:
      return "选项缺少值或值的个数不对：" + what;
    case CLI::ExitCodes::ConversionError:
      return "选项的值不是有效的数字：" + detail;
    case CLI::ExitCodes::ValidationError:
      return "选项的值无效：" + what;
    default:
      return what;
  }
}

int Main(int argc, char** argv) {
  // Before any thread starts, so that every thread keeps the signals blocked.
  RunToken token;
  InterruptWatch watch(token);

  CLI::App app{"把源视频或图片做成竖屏短视频（" + FrameSize(kBaseCanvas) + " 或 " +
                   FrameSize(kLargeCanvas) + "，H.264，" + std::to_string(kDefaultCanvas.fps) +
                   " 帧/秒）。",
               "mivora-cli"};
  auto formatter = app.get_formatter();
  formatter->label("Usage", "用法");
  formatter->label("Positionals", "参数");
  formatter->label("Subcommands", "命令");
  formatter->label("REQUIRED", "必需");
  formatter->label("Excludes", "不能与之同用");
  formatter->label("OPTIONS", "选项");
  formatter->label("SUBCOMMAND", "命令");
  app.option_defaults()->group("选项");
  app.set_help_flag("-h,--help", "显示帮助并退出");
  app.set_version_flag("--version", std::string(kVersionText), "显示版本并退出");
  app.require_subcommand(1);

  BatchCommands batch;
  batch.AddTo(app);
  EffectCommands effectCommands;
  effectCommands.AddTo(app);

  for (CLI::App* command : app.get_subcommands([](CLI::App*) { return true; })) {
    command->group("命令");
    command->get_help_ptr()->group("选项");
  }

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& help) {
    return app.exit(help);
  } catch (const CLI::CallForVersion& version) {
    return app.exit(version);
  } catch (const CLI::ParseError& error) {
    std::string command;
    for (CLI::App* sub : app.get_subcommands()) command = sub->get_name();
    return UsageError(command, ParseErrorText(error));
  }

  if (std::optional<int> code = batch.Carry(token, watch)) return *code;
  return effectCommands.Carry(token, watch);
}

}  // namespace
}  // namespace mivora

int main(int argc, char** argv) {
  return mivora::Main(argc, argv);
}
