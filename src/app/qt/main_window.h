// The program's only window: the seven media lists on their tab pages, the
// effect code, the switches, the run buttons, the log and the hidden output
// box, on a page that grows with the window and scrolls when the window is
// smaller than the page's minimum. It is the
// window operations' implementation for people: calls from other threads are
// carried out on the window's thread while the caller waits, a run's events
// are posted to it without waiting, and the window's thread itself never
// waits for another thread.
// Its code is split by concern: main_window.cpp (making, wiring, dialogs),
// main_window_build.cpp (the controls), main_window_settings.cpp (what it
// remembers), main_window_ops.cpp (the window operations across threads),
// main_window_run.cpp (a run's display), main_window_screen.cpp (fitting
// the screen) and main_window_layout.cpp (the page following the window's
// size).
#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QThreadPool>
#include <QTimer>
#include <QWidget>
#include <array>
#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

// Qt's meta-object compiler cannot read the core's non-ASCII identifiers and
// needs nothing from these headers.
#ifndef Q_MOC_RUN
#include "app/run_control.h"
#include "app/run_estimate.h"
#include "app/window_ops.h"
#include "jobs/watermark.h"
#include "runner/run_token.h"
#endif

class QAbstractButton;
class QComboBox;
class QDoubleSpinBox;
class QCheckBox;
class QLabel;
class QMessageBox;
class QProgressBar;
class QScrollArea;
class QGroupBox;
class QSpinBox;
class QPlainTextEdit;
class QPushButton;
class QShortcut;
class QTreeWidget;

namespace mivora {

class ResultsPage;
class TabControl;
class TitlePage;
class WatermarkPage;

class MainWindow : public QWidget, public WindowOps {
  Q_OBJECT

 public:
  static constexpr int kOuterWidth = 1011;
  static constexpr int kOuterHeight = 766;

  explicit MainWindow(std::filesystem::path runDir);
  // Shuts down, stops a running job and its encoder and waits for every
  // thread the window started.
  ~MainWindow() override;

  int RowCount(ListView list) override;
  std::string CellText(ListView list, int row, int column) override;
  void SetCellText(ListView list, int row, int column, const std::string& text) override;
  int AppendRow(ListView list) override;
  void ClearRows(ListView list) override;
  void FillRows(ListView list, const std::vector<std::vector<std::string>>& rows,
                bool append) override;
  std::string ControlText(TextBox box) override;
  void AppendLog(const std::string& text) override;
  void SetOutputText(const std::string& text) override;
  bool IsChecked(Switch control) override;
  void SetEnabled(Button button, bool enabled) override;
  void ShowInfo(const std::string& text) override;
  void SetCellToolTip(ListView list, int row, int column, const std::string& text) override;
  void SetRunProgress(double fraction, const std::string& label) override;
  void SetRunWork(double done, double total) override;
  void ShowRunEnd(const std::string& note, bool failed) override;

  // Releases every other thread waiting on a window operation and makes later
  // calls from other threads return at once with an empty result. Called when
  // the event loop has ended, before the threads are stopped and joined.
  void BeginShutdown();

  // Waits `ms` milliseconds while the window keeps painting and handling its
  // buttons (a plain sleep on any other thread).
  void PumpWait(int ms);

  // Where the audio import button asks for its folder; the default is the
  // folder dialog. An empty answer means cancelled.
  void SetFolderChooser(std::function<QString()> chooser);
  // Where the "主目录" button asks for the home folder (default: a folder
  // dialog); an empty answer means cancelled.
  void SetHomeChooser(std::function<QString()> chooser);
  // What "打开输出文件夹" does with the folder (default: the desktop's file
  // manager); false when nothing could open it.
  void SetFolderOpener(std::function<bool(const QString&)> opener);

  // What claims another home before the window moves there: the refusal to
  // show, or empty once claimed (default: every home is taken as it is).
  void SetHomeClaimer(std::function<QString(const std::filesystem::path&)> claimer);

  const std::filesystem::path& RunDir() const { return runDir_; }
  // Makes `folder` the home folder, remembers it and re-reads the lists from it.
  void ChangeHome(const std::filesystem::path& folder);
  // The run settings as the "运行设置" group shows them; on the window's thread.
  RunSettings CurrentRunSettings() const;

  // The "文本水印" page's options, turned on or not; from any thread.
  WatermarkOptions Watermark();

  // Sizes and places the window, frame included, inside `available` (a
  // screen's free area): its outer size, smaller on a smaller screen, where
  // the page scrolls. The user may then make it larger or maximize it.
  void FitInto(const QRect& available);

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildControls();
  void BuildRunSettings();
  // Puts `shown` into the "运行设置" group's controls.
  void ShowRunSettings(const RunSettings& shown);
  void SetTabOrder();
  void WireEvents();
  void BindKeys();
  // Space and Escape act on a run only while one goes on.
  void SetRunKeysEnabled(bool enabled);
  void LoadSettings();
  void SaveSettings();
  void ShowHome();
  // How the intro and outro lists are read: on the window's thread, or in
  // the background as their buttons do.
  enum class Imports { kHere, kIntrosInBackground };
  void ImportAllLists(const std::filesystem::path& folder, Imports imports);
  void FitToScreen();
  // Places every control for the page's present size (see
  // main_window_layout.cpp); `DesignPlace` is where it was drawn.
  void LayOutPage();
  QRect DesignPlace(QWidget* control);
  QSize MinimumPage();
  // The path column of a list widened by `growth` pixels beyond its design
  // width; and a column's width as the user set it, without that growth.
  void WidenPathColumn(QTreeWidget* view, int growth);
  int RememberedColumnWidth(QTreeWidget* view, int column) const;
  // The page's and the window's least sizes, the window's within `room`.
  void SetPageLimits(QSize room = QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
  void RunBegan();
  void RunPaused();
  void RunResumed();
  // How long the run has worked, its pauses left out.
  qint64 RunMs() const;
  void ShowFailures(bool failed);
  // Enables or disables every control that changes a run's inputs.
  void SetInputsEnabled(bool enabled);
  void ShowTimes();
  // The window's side of SetRunProgress and ShowRunEnd.
  void ShowProgress(double fraction, const QString& label);
  void ShowEnd(const QString& note, bool failed);
  void PostToWindow(std::function<void()> task);
  QString ChooseFolder(const QString& title, const QString& start);
  void RememberColumnWidths();
  void OpenOutputFolder();
  void RunInBackground(std::function<void()> task);
  void MakeGifPreviewsInBackground();
  QString ChooseAudioFolder();
  QTreeWidget* List(ListView list) const { return lists_[static_cast<int>(list)]; }
  bool OnWindowThread() const;
  // Runs `call` on the window's thread and returns its result; from another
  // thread the call is queued and waited for, or abandoned with an empty
  // result once the window shuts down. `call` must own everything it uses.
  template <typename Call>
  auto Marshal(Call call);
  void ShowInfoFromOtherThread(const QString& text);

  std::filesystem::path runDir_;
  QWidget* content_ = nullptr;
  QScrollArea* scroll_ = nullptr;
  QGroupBox* runSettings_ = nullptr;
  TabControl* tabs_ = nullptr;
  WatermarkPage* watermark_ = nullptr;
  TitlePage* titles_ = nullptr;
  ResultsPage* results_ = nullptr;
  std::array<QTreeWidget*, kListViewCount> lists_{};
  QPlainTextEdit* effectCode_ = nullptr;
  QPlainTextEdit* log_ = nullptr;
  QPlainTextEdit* output_ = nullptr;
  std::array<QAbstractButton*, 6> switches_{};
  std::array<QPushButton*, 4> runButtons_{};
  std::vector<QPointer<QMessageBox>> infoBoxes_;
  std::vector<QShortcut*> runKeys_;
  std::function<QString()> folderChooser_;
  std::function<QString()> homeChooser_;
  std::function<bool(const QString&)> folderOpener_;
  std::function<QString(const std::filesystem::path&)> homeClaimer_;
  QComboBox* engine_ = nullptr;  // "处理方式": the engines by name
  QCheckBox* allItems_ = nullptr;
  QSpinBox* jobs_ = nullptr;
  QSpinBox* stallTimeout_ = nullptr;
  QComboBox* fit_ = nullptr;               // 画面适配
  QComboBox* sound_ = nullptr;             // 声音
  QCheckBox* duck_ = nullptr;              // 人声压低音乐
  QComboBox* canvas_ = nullptr;            // 成品尺寸
  QSpinBox* variants_ = nullptr;           // 每个素材生成
  QDoubleSpinBox* minDistance_ = nullptr;  // 版本最小差异
  QCheckBox* skipExisting_ = nullptr;      // 跳过已有成品
  QLabel* home_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QLabel* times_ = nullptr;
  QElapsedTimer runClock_;
  QElapsedTimer pausedSince_;  // valid while the run is paused
  qint64 pausedMs_ = 0;        // the run's earlier pauses
  QTimer clockTick_;
  RunEstimate estimate_;
  QString audioFolder_;
  // The frame the window was last fitted with; it changes when a window
  // manager frames the window, which may be after it is shown.
  QSize fittedFrame_{-1, -1};
  // The page's size at which every control is where it was drawn: the outer
  // size less the frame.
  QSize designPage_{kOuterWidth, kOuterHeight};
  std::map<QWidget*, QRect> designPlaces_;
  std::map<QTreeWidget*, int> pathColumnGrowth_;

  std::mutex callMutex_;
  std::condition_variable callDone_;
  bool shuttingDown_ = false;

  // The intro and outro imports and the GIF previews run here; the pool is
  // waited for at shutdown, so no thread outlives the window.
  QThreadPool background_;
  RunToken gifToken_;
  std::atomic<bool> gifRunning_{false};
  std::unique_ptr<RunControl> run_;
};

}  // namespace mivora
