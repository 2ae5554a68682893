#include "cli/effect_commands.h"

#include <cstdio>
#include <filesystem>
#include <iostream>

#include "cli/batch_summary.h"
#include "cli/command_support.h"
#include "effects/effect_catalogue.h"
#include "effects/effect_cost.h"
#include "effects/render_effect.h"
#include "media/durable_commit.h"
#include "media/part_files.h"
#include "media/work_folders.h"
#include "runner/tool.h"

namespace mivora {
namespace {

// The cost as a multiple of a plain encode of the same seconds.
std::string CostText(const std::string& name) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", EffectCost(name));
  return std::string("相对耗时 ") + text + " 倍";
}

int ListEffects() {
  for (int i = 1; i <= kEffectCount; ++i) {
    std::string name = EffectName(i);
    std::cout << name << "\t" << EffectDuration(name) << " 秒\t" << CostText(name) << "\n";
  }
  return kExitSucceeded;
}

// The command as render-effect runs it, or with `raw` the catalogue's
// template as stored, Windows placeholders and all.
int ShowEffect(const std::string& name, bool raw, const Canvas& canvas) {
  std::string duration = EffectDuration(name);
  if (duration.empty())
    return UsageError(
        "effects", "没有这个特效：" + name + "（共有 特效1 到 " + EffectName(kEffectCount) + "）");
  std::cout << name << "\n时长：" << duration << " 秒\n"
            << CostText(name) << "（同样秒数的普通编码为 1 倍）\n"
            << (raw ? "模板：" + EffectTemplate(name) : "命令：" + EffectCommandText(name, canvas))
            << "\n";
  return kExitSucceeded;
}

int RenderOne(const RenderArgs& args, RunToken& token, const InterruptWatch& watch) {
  if (EffectDuration(args.name).empty()) {
    return UsageError("render-effect",
                      "没有这个特效：" + args.name + "（用 mivora-cli effects 查看全部）");
  }
  std::error_code error;
  if (!std::filesystem::is_regular_file(args.input, error)) {
    return UsageError("render-effect", "输入文件不存在：" + args.input);
  }
  if (EffectNeedsAudio(args.name) && args.audio.empty()) {
    return UsageError("render-effect",
                      args.name + " 要配一段音频：请用 --audio FILE 指定 .mp3 文件");
  }
  if (!args.audio.empty() && !std::filesystem::is_regular_file(args.audio, error)) {
    return UsageError("render-effect", "音频文件不存在：" + args.audio);
  }
  std::filesystem::path home =
      Absolute(args.home.empty() ? DefaultHome(false) : std::filesystem::path(args.home));
  std::filesystem::path output = Absolute(args.output);
  // The output appears under its name only when the encoder has finished it.
  std::filesystem::path part = PartFilePath(output);
  std::string console;
  ToolEnv env{home, token, [&console](const std::string& text) { console = text; }};
  ToolOutcome outcome = RenderEffect(env, args.name, args.input, part, args.audio, args.canvas);
  if (outcome.ok() && !token.IsCancelled() && !CommitByRename(part, output)) {
    outcome = ToolOutcome::Failed();
  }
  DeleteWorkFile(part);
  if (watch.Signal() != 0) return 128 + watch.Signal();
  if (!outcome.ok()) {
    std::cerr << console << "\nmivora-cli: " << args.name << "-----输出失败：" << outcome.text
              << "\n";
    return kExitFailed;
  }
  std::cout << output.string() << "\n";
  return kExitSucceeded;
}

// "--size": the canvas a command is filled for.
void AddSizeOption(CLI::App& command, Canvas& canvas) {
  command
      .add_option_function<std::string>(
          "--size", [&canvas](const std::string& name) { canvas = *ParseCanvasSize(name); },
          "成品尺寸：" + FrameSize(kBaseCanvas) + "（默认，模板的尺寸）或 " +
              FrameSize(kLargeCanvas))
      ->check(OneOf(CanvasSizeNames()))
      ->type_name("SIZE");
}

}  // namespace

void EffectCommands::AddTo(CLI::App& app) {
  effects = app.add_subcommand(
      "effects", "列出七十个特效及其时长和相对耗时；给出名称时再显示该特效运行的命令");
  effects->add_option("NAME", effectName, "特效名称，例如 特效12");
  effects->add_flag("--raw", rawTemplate, "显示特效目录里保存的模板原文，而不是运行的命令");
  AddSizeOption(*effects, effectCanvas);

  renderEffect = app.add_subcommand("render-effect", "用一个特效处理一个文件（试特效最快的办法）");
  renderEffect->add_option("NAME", render.name, "特效名称，例如 特效12")->required();
  renderEffect->add_option("INPUT", render.input, "输入视频")->required();
  renderEffect->add_option("OUTPUT", render.output, "输出视频（.mp4）")->required();
  renderEffect->add_option("--audio", render.audio, "要配音频的特效所用的 .mp3 文件")
      ->type_name("FILE");
  renderEffect
      ->add_option("--home", render.home, "主目录，在其 ffmpeg/bin 下找编码器（默认与 run 相同）")
      ->type_name("DIR");
  AddSizeOption(*renderEffect, render.canvas);
}

int EffectCommands::Carry(RunToken& token, const InterruptWatch& watch) const {
  if (*effects)
    return effectName.empty() ? ListEffects() : ShowEffect(effectName, rawTemplate, effectCanvas);
  return RenderOne(render, token, watch);
}

}  // namespace mivora
