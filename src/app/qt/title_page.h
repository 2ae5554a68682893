// The "文案" page: the title list, imported from the home's "文案.txt" (or a
// file the user picks), counted and cleared like the other lists, the switch
// "加文案", and where and how the titles are drawn. The switch, position and
// style are remembered under "title/..." in the program's settings.
#pragma once

#include <QWidget>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "jobs/title_text.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QTreeWidget;

namespace mivora {

class TitlePage : public QWidget {
  Q_OBJECT

 public:
  // Placed on `page`, below the tab bar; `home` gives the home folder of the
  // moment, where "导入" reads "文案.txt".
  TitlePage(QWidget* page, std::function<std::filesystem::path()> home);

  // What the page shows, whether titles are turned on or not.
  TitleOptions Options() const;
  const std::vector<std::string>& Titles() const { return titles_; }

  // Reads the list from `file`; the message to show when it cannot be read.
  QString Import(const std::filesystem::path& file);
  void Clear();

 private:
  void BuildControls();
  void Load();
  void Save() const;
  void ShowList();

  std::function<std::filesystem::path()> home_;
  std::vector<std::string> titles_;
  QCheckBox* enabled_ = nullptr;
  QComboBox* position_ = nullptr;
  QComboBox* style_ = nullptr;
  QTreeWidget* list_ = nullptr;
  QLabel* count_ = nullptr;
  bool loading_ = false;
};

}  // namespace mivora
