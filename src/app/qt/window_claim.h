// A window's claim on its home: the home lock, held alone, and a local
// socket named after the home on which a later copy asks this one to come to
// the front. A second copy on the same home is refused and raises the first;
// one that finds a command-line run at work there is refused too.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <filesystem>
#include <memory>

class QLocalServer;
class QWidget;

namespace mivora {

class HomeLock;

class WindowClaim : public QObject {
  Q_OBJECT

 public:
  enum class State { kClaimed, kOtherWindow, kCommandLineRun };

  // Tries to claim `home`; a copy that finds another window asks it to raise.
  explicit WindowClaim(const std::filesystem::path& home);
  ~WindowClaim() override;

  State state() const { return state_; }
  // What the refused copy says ("" once claimed).
  QString RefusalMessage() const;
  // The window a later copy raises.
  void SetWindow(QWidget* window) { window_ = window; }

 private:
  void Listen();
  void RaiseWindow();

  std::filesystem::path home_;
  std::unique_ptr<HomeLock> lock_;
  State state_ = State::kClaimed;
  QLocalServer* server_ = nullptr;
  QPointer<QWidget> window_;
};

// The local socket's name for `home`: the same for every spelling of it.
QString ClaimSocketName(const std::filesystem::path& home);

}  // namespace mivora
