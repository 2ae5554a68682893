// The window as its logic sees it (the presenter of a run, the run buttons,
// the list imports): seven lists, switches, text boxes and run buttons behind
// a small set of operations. The core never sees it. The Qt window implements
// it for people, the tests' MemoryWindow (tests/support) for the tests.
// Operations are called on the window's own thread (a run's events are
// posted there) and have completed when they return.
#pragma once

#include <string>
#include <vector>

#include "effects/effect_code.h"

namespace mivora {

// The seven list views. Column 0 holds the row's number, 1 the full path, 2 the
// file name; the video, image and audio lists have further columns.
enum class ListView {
  超级列表框1,  // source videos: 序号, 视频路径, 文件名, 状态
  超级列表框2,  // source images: 序号, 图片路径, 文件名, 图转视频后路径, 文件名, 状态
  超级列表框3,  // intro clips: 序号, 片头路径, 文件名
  超级列表框4,  // outro clips: 序号, 片尾路径, 文件名
  超级列表框5,  // audio files: 序号, 音频路径, 文件名, 状态
  超级列表框6,  // green-screen overlay clips: 序号, 绿幕特效路径, 文件名
  超级列表框7,  // black-screen overlay clips: 序号, 黑幕特效路径, 文件名
};
inline constexpr int kListViewCount = 7;

// The lists by their role.
inline constexpr ListView kVideoList = ListView::超级列表框1;
inline constexpr ListView kImageList = ListView::超级列表框2;
inline constexpr ListView kIntroList = ListView::超级列表框3;
inline constexpr ListView kOutroList = ListView::超级列表框4;
inline constexpr ListView kAudioList = ListView::超级列表框5;
inline constexpr ListView kGreenScreenList = ListView::超级列表框6;
inline constexpr ListView kBlackScreenList = ListView::超级列表框7;

// Columns every list has; the further ones are the presenter's business.
inline constexpr int kNumberColumn = 0;
inline constexpr int kPathColumn = 1;
inline constexpr int kNameColumn = 2;

enum class Switch {
  单选框_视频剪辑,  // video clip mode (checked at start-up)
  单选框_图片剪辑,  // image clip mode, same radio group
  选择框_加片头,    // add an intro clip
  选择框_加片尾,    // add an outro clip
  单选框_加绿幕,    // green-screen overlay, radio group of its own
  单选框_加黑幕,    // black-screen overlay (checked at start-up)
};

enum class TextBox {
  编辑框_特效代码,  // the effect code
  编辑框_日志,      // the log; only ever grows
  编辑框_输出返回,  // raw console output of the latest judged tool run
};

enum class Button {
  按钮_开始检测,  // Start
  按钮_暂停检测,  // Pause
  按钮_继续检测,  // Resume
  按钮_停止检测,  // Stop
};

class WindowOps {
 public:
  virtual ~WindowOps() = default;

  virtual int RowCount(ListView list) = 0;
  // Empty text for a missing row or column.
  virtual std::string CellText(ListView list, int row, int column) = 0;
  // No effect for a missing row.
  virtual void SetCellText(ListView list, int row, int column, const std::string& text) = 0;
  // Adds an empty row at the end and returns its index.
  virtual int AppendRow(ListView list) = 0;
  virtual void ClearRows(ListView list) = 0;
  // Replaces the list's rows with `rows`, or adds them after the existing
  // ones when `append`: one call however many rows, so a long list costs the
  // window one change. Each row gives its cells from the path column on;
  // the number column of every new row holds its number, counted from 1.
  virtual void FillRows(ListView list, const std::vector<std::vector<std::string>>& rows,
                        bool append) = 0;
  virtual std::string ControlText(TextBox box) = 0;
  // Always adds at the very end of the log.
  virtual void AppendLog(const std::string& text) = 0;
  virtual void SetOutputText(const std::string& text) = 0;
  virtual bool IsChecked(Switch control) = 0;
  virtual void SetEnabled(Button button, bool enabled) = 0;
  // Message box with caption "友情提示"; blocks only the calling thread.
  virtual void ShowInfo(const std::string& text) = 0;
  // The hint shown when the pointer rests on a cell; no effect for a missing row.
  virtual void SetCellToolTip(ListView list, int row, int column, const std::string& text) = 0;
  // The run's progress: `fraction` (0..1) of the whole run is done; `label`
  // says how many items, e.g. "1/2" or "3/4 成功".
  virtual void SetRunProgress(double fraction, const std::string& label) = 0;
  // The run's work: `done` of `total`, in the units of run_estimate.h, from
  // which the window tells the time left.
  virtual void SetRunWork(double done, double total) = 0;
  // The run has ended; its clock stops and `note` says how ("已完成",
  // "已停止"; empty for a run that never began). `failed`: some of its
  // outputs failed, which the bar shows as such.
  virtual void ShowRunEnd(const std::string& note, bool failed) = 0;
};

// Number of columns of a list (a cell beyond them reads as empty).
int ColumnCount(ListView list);

// The default text of the log box. (The effect code box starts with
// kDefaultEffectCode of the effect code.)
extern const std::string kDefaultLogText;

}  // namespace mivora
