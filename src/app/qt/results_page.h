// The "成品" page: the outputs of the latest run, one row each, filled as
// they finish: a strip of small pictures, the name, the outcome with its
// reason in full, length, size, picks and the nearest sibling's distance.
// Enter or a double-click plays an output with the desktop's player; its
// context menu opens its folder or copies its path; "只看失败" leaves only
// the failures. The rows come from the core's outcome events (ResultsModel),
// the facts of a finished video are measured in the background.
#pragma once

#include <QThreadPool>
#include <QUrl>
#include <QWidget>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>

#ifndef Q_MOC_RUN
#include "app/results_model.h"
#include "jobs/job_inputs.h"
#include "runner/run_token.h"
#endif

class QCheckBox;
class QLabel;
class QMenu;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace mivora {

class ResultsPage : public QWidget {
  Q_OBJECT

 public:
  // Placed on `page`, below the tab bar; `home` gives the home folder of the
  // moment, under which the strip pictures are kept.
  ResultsPage(QWidget* page, std::function<std::filesystem::path()> home);
  // Stops the measuring encoder and waits for it.
  ~ResultsPage() override;

  // A run of `inputs` begins: the rows of the last one go, and the model
  // given fills this page from the run's events and keeps its summary.
  std::shared_ptr<ResultsModel> BeginRun(const JobInputs& inputs);
  // Shows the latest run in the home from its summary, as after a restart.
  void ShowLastRun();
  const ResultsModel& Model() const { return *model_; }

  // What plays a video and opens a folder (default: the desktop's handler
  // of the URL); false when nothing could open it.
  void SetOpener(std::function<bool(const QUrl&)> opener);

  // The context menu of the row shown at `shownRow`: "打开所在文件夹" and
  // "复制路径", disabled for an output without a finished video. The caller
  // owns it.
  QMenu* RowMenu(int shownRow);
  // Plays the output shown at `shownRow`, if it has a finished video.
  void Play(int shownRow);
  // "生成报告": writes the latest run's report page in the background, then
  // opens it.
  void WriteReport();

 signals:
  // Every row has been measured (pictures, length, size).
  void MeasuringDone();
  // The report page was written and opened, or the note says why not.
  void ReportDone();

 private:
  void BuildControls();
  // Shows `model`'s rows from now on, and no other's.
  void Show(std::shared_ptr<ResultsModel> model);
  void ShowRow(std::size_t index);
  void ShowAll();
  void ApplyFilter();
  void Measure(std::size_t index);
  void ShowCount();
  void SetNote(const QString& text);
  // False, with the note saying so, when nothing could open `url`.
  bool Open(const QUrl& url, const QString& what);
  // The model's row behind the list's row `shownRow`; null for none.
  const ResultRow* RowAt(int shownRow) const;
  int ShownRowOf(const QTreeWidgetItem* item) const;

  std::function<std::filesystem::path()> home_;
  std::function<bool(const QUrl&)> opener_;
  std::shared_ptr<ResultsModel> model_;
  QTreeWidget* list_ = nullptr;
  QCheckBox* failuresOnly_ = nullptr;
  QLabel* count_ = nullptr;
  QLabel* note_ = nullptr;
  QPushButton* report_ = nullptr;
  // The facts of finished videos, measured one at a time away from the
  // window's thread, and the report; a run's rows are told apart from the
  // next run's.
  QThreadPool measuring_;
  RunToken measureToken_;
  int generation_ = 0;
  int pending_ = 0;
};

}  // namespace mivora
