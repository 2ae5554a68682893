// What the main window remembers between sessions: the run settings, the
// switches, the effect code, the audio folder, its position and the lists'
// column widths.
#include <QCheckBox>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QSettings>
#include <QSpinBox>
#include <QTreeWidget>
#include <array>
#include <optional>

#include "app/qt/main_window.h"
#include "app/qt/main_window_parts.h"
#include "app/qt/window_settings.h"
#include "jobs/engine_choice.h"

namespace mivora {
namespace {

// QSettings keys; the run keys are shared with whoever prepares a settings file.
constexpr const char* kEngineKey = "run/engine";
constexpr const char* kAllItemsKey = "run/allItems";
constexpr const char* kJobsKey = "run/jobs";
constexpr const char* kStallTimeoutKey = "run/stallTimeout";
constexpr const char* kFitKey = "run/fit";
constexpr const char* kVariantsKey = "run/variants";
constexpr const char* kSkipExistingKey = "run/skipExisting";
// The framing choices in the order of the "画面适配" box.
constexpr std::array<FitMode, 3> kFitChoices = {FitMode::kBlur, FitMode::kCover, FitMode::kStretch};
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
  return RunSettings{engine_->currentData().toString().toStdString(),
                     allItems_->isChecked(),
                     jobs_->value(),
                     stallTimeout_->value(),
                     kFitChoices[std::max(0, fit_->currentIndex())],
                     variants_->value(),
                     skipExisting_->isChecked()};
}

void MainWindow::LoadSettings() {
  QSettings settings = WindowSettings();
  const QString defaultEngine = QString::fromUtf8(kDefaultEngine.data(), kDefaultEngine.size());
  int engine = engine_->findData(settings.value(kEngineKey, defaultEngine));
  engine_->setCurrentIndex(engine >= 0 ? engine : engine_->findData(defaultEngine));
  allItems_->setChecked(settings.value(kAllItemsKey, false).toBool());
  jobs_->setValue(settings.value(kJobsKey, 1).toInt());
  stallTimeout_->setValue(settings.value(kStallTimeoutKey, 60).toInt());
  variants_->setValue(settings.value(kVariantsKey, 1).toInt());
  skipExisting_->setChecked(settings.value(kSkipExistingKey, false).toBool());
  std::optional<FitMode> fit = ParseFitMode(settings.value(kFitKey).toString().toStdString());
  for (std::size_t i = 0; i < kFitChoices.size(); ++i) {
    if (kFitChoices[i] == fit.value_or(kDefaultFitMode)) fit_->setCurrentIndex(static_cast<int>(i));
  }
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
  settings.setValue(kEngineKey, engine_->currentData());
  settings.setValue(kAllItemsKey, allItems_->isChecked());
  settings.setValue(kJobsKey, jobs_->value());
  settings.setValue(kStallTimeoutKey, stallTimeout_->value());
  settings.setValue(kVariantsKey, variants_->value());
  settings.setValue(kSkipExistingKey, skipExisting_->isChecked());
  settings.setValue(kFitKey,
                    QString::fromStdString(std::string(FitModeName(CurrentRunSettings().fit))));
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
      widths << QString::number(List(layout.list)->columnWidth(column));
    }
    settings.setValue(QString(kColumnsKeyPrefix) + layout.name, widths.join(','));
  }
}

}  // namespace mivora
