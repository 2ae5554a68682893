// What the main window remembers between sessions: the run settings, the
// switches, the effect code, the audio folder, its position and the lists'
// column widths.
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QPlainTextEdit>
#include <QSettings>
#include <QSpinBox>
#include <QTreeWidget>
#include <array>
#include <chrono>
#include <optional>

#include "app/qt/main_window.h"
#include "app/qt/main_window_parts.h"
#include "app/qt/window_settings.h"
#include "jobs/engine_choice.h"

namespace mivora {
namespace {

// QSettings keys; those of the run settings are the run settings' table's.
// The framing choices in the order of the "画面适配" box.
constexpr std::array<FitMode, 3> kFitChoices = {FitMode::kBlur, FitMode::kCover, FitMode::kStretch};
// The sound choices in the order of the "声音" box.
constexpr std::array<SoundMode, 3> kSoundChoices = {SoundMode::kMusic, SoundMode::kSource,
                                                    SoundMode::kBoth};
constexpr const char* kAudioKey = "paths/audio";
constexpr const char* kEffectCodeKey = "choices/effectCode";
constexpr const char* kVideoModeKey = "choices/videoMode";
constexpr const char* kIntroKey = "choices/intro";
constexpr const char* kOutroKey = "choices/outro";
constexpr const char* kBlackScreenKey = "choices/blackScreen";
// Followed by the list's name: its column widths.
constexpr const char* kColumnsKeyPrefix = "columns/";

}  // namespace

RunSettings MainWindow::CurrentRunSettings() const {
  RunSettings shown;
  shown.run.engine = kEngineNames.Parse(engine_->currentData().toString().toStdString())
                         .value_or(shown.run.engine);
  shown.allItems = allItems_->isChecked();
  shown.run.jobs = jobs_->value();
  shown.run.stallTimeout = std::chrono::seconds(stallTimeout_->value());
  shown.run.fit = kFitChoices[std::max(0, fit_->currentIndex())];
  shown.run.variants = variants_->value();
  shown.run.minDistance = minDistance_->value();
  shown.run.skipExisting = skipExisting_->isChecked();
  shown.run.sound.mode = kSoundChoices[std::max(0, sound_->currentIndex())];
  shown.run.sound.duck = duck_->isChecked();
  shown.run.canvas =
      ParseCanvasSize(canvas_->currentText().toStdString()).value_or(shown.run.canvas);
  return shown;
}

void MainWindow::ShowRunSettings(const RunSettings& shown) {
  const std::string_view engine = kEngineNames.NameOf(shown.run.engine);
  engine_->setCurrentIndex(engine_->findData(QString::fromUtf8(engine.data(), engine.size())));
  allItems_->setChecked(shown.allItems);
  jobs_->setValue(shown.run.jobs);
  stallTimeout_->setValue(StallTimeoutSeconds(shown.run));
  variants_->setValue(shown.run.variants);
  minDistance_->setValue(shown.run.minDistance);
  skipExisting_->setChecked(shown.run.skipExisting);
  for (std::size_t i = 0; i < kFitChoices.size(); ++i) {
    if (kFitChoices[i] == shown.run.fit) fit_->setCurrentIndex(static_cast<int>(i));
  }
  for (std::size_t i = 0; i < kSoundChoices.size(); ++i) {
    if (kSoundChoices[i] == shown.run.sound.mode) sound_->setCurrentIndex(static_cast<int>(i));
  }
  duck_->setChecked(shown.run.sound.duck);
  canvas_->setCurrentText(QString::fromStdString(FrameSize(shown.run.canvas)));
}

void MainWindow::LoadSettings() {
  QSettings settings = WindowSettings();
  ShowRunSettings(LoadRunSettings([&settings](std::string_view key) -> std::optional<std::string> {
    const QString name = QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size()));
    if (!settings.contains(name)) return std::nullopt;
    return settings.value(name).toString().toStdString();
  }));
  if (settings.contains(kEffectCodeKey)) {
    effectCode_->setPlainText(settings.value(kEffectCodeKey).toString());
  }
  auto restore = [&settings, this](const char* key, Switch on, Switch off) {
    if (!settings.contains(key)) return;
    bool checked = settings.value(key).toBool();
    switches_[static_cast<int>(checked ? on : off)]->setChecked(true);
    if (on == off) switches_[static_cast<int>(on)]->setChecked(checked);
  };
  restore(kVideoModeKey, Switch::单选框_视频剪辑, Switch::单选框_图片剪辑);
  restore(kIntroKey, Switch::选择框_加片头, Switch::选择框_加片头);
  restore(kOutroKey, Switch::选择框_加片尾, Switch::选择框_加片尾);
  restore(kBlackScreenKey, Switch::单选框_加黑幕, Switch::单选框_加绿幕);
  audioFolder_ = settings.value(kAudioKey).toString();
  // Kept on a screen when it is shown.
  if (settings.contains(kPositionKey)) move(settings.value(kPositionKey).toPoint());
  for (const ListLayout& layout : ListLayouts()) {
    QStringList widths =
        settings.value(QString(kColumnsKeyPrefix) + layout.name).toString().split(',');
    if (widths.size() != static_cast<int>(layout.widths.size())) continue;
    for (int column = 0; column < widths.size(); ++column) {
      int width = widths[column].toInt();
      if (width > 0) List(layout.list)->setColumnWidth(column, width);
    }
  }
}

void MainWindow::SaveSettings() {
  QSettings settings = WindowSettings();
  SaveRunSettings(
      CurrentRunSettings(), [&settings](std::string_view key, const std::string& value) {
        settings.setValue(QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size())),
                          QString::fromStdString(value));
      });
  settings.setValue(kEffectCodeKey, effectCode_->toPlainText());
  auto checked = [this](Switch control) {
    return switches_[static_cast<int>(control)]->isChecked();
  };
  settings.setValue(kVideoModeKey, checked(Switch::单选框_视频剪辑));
  settings.setValue(kIntroKey, checked(Switch::选择框_加片头));
  settings.setValue(kOutroKey, checked(Switch::选择框_加片尾));
  settings.setValue(kBlackScreenKey, checked(Switch::单选框_加黑幕));
  if (!audioFolder_.isEmpty()) settings.setValue(kAudioKey, audioFolder_);
}

void MainWindow::RememberColumnWidths() {
  QSettings settings = WindowSettings();
  for (const ListLayout& layout : ListLayouts()) {
    QStringList widths;
    for (int column = 0; column < static_cast<int>(layout.widths.size()); ++column) {
      widths << QString::number(RememberedColumnWidth(List(layout.list), column));
    }
    settings.setValue(QString(kColumnsKeyPrefix) + layout.name, widths.join(','));
  }
}

}  // namespace mivora
