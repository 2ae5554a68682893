#include "app/qt/window_claim.h"

#include <QCryptographicHash>
#include <QLocalServer>
#include <QLocalSocket>
#include <QWidget>
#include <system_error>

#include "media/home_lock.h"

namespace mivora {
namespace {

// How long a copy waits for the first window to take its call.
constexpr int kConnectMs = 1000;

}  // namespace

QString ClaimSocketName(const std::filesystem::path& home) {
  std::error_code error;
  std::filesystem::path canonical = std::filesystem::weakly_canonical(home, error);
  const std::string spelled = (error ? home : canonical).string();
  return "mivora-window-" +
         QCryptographicHash::hash(QByteArray::fromStdString(spelled), QCryptographicHash::Sha1)
             .toHex()
             .left(16);
}

WindowClaim::WindowClaim(const std::filesystem::path& home)
    : home_(home), lock_(std::make_unique<HomeLock>(home, HomeLock::Holder::kWindow)) {
  if (lock_->held()) {
    Listen();
    return;
  }
  // Held by another window, which answers on the home's socket, or by
  // command-line runs, which do not.
  QLocalSocket socket;
  socket.connectToServer(ClaimSocketName(home_));
  state_ = socket.waitForConnected(kConnectMs) ? State::kOtherWindow : State::kCommandLineRun;
  if (state_ == State::kOtherWindow) {
    socket.write("raise\n");
    socket.waitForBytesWritten(kConnectMs);
    socket.disconnectFromServer();
  }
}

WindowClaim::~WindowClaim() = default;

void WindowClaim::Listen() {
  server_ = new QLocalServer(this);
  const QString name = ClaimSocketName(home_);
  // A socket file left by a window that died is the lock holder's to reuse.
  QLocalServer::removeServer(name);
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  if (!server_->listen(name)) return;
  connect(server_, &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* caller = server_->nextPendingConnection()) {
      connect(caller, &QLocalSocket::disconnected, caller, &QObject::deleteLater);
      RaiseWindow();
    }
  });
}

void WindowClaim::RaiseWindow() {
  if (!window_) return;
  window_->setWindowState((window_->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
  window_->show();
  window_->raise();
  window_->activateWindow();
}

QString WindowClaim::RefusalMessage() const {
  const QString home = QString::fromStdString(home_.string());
  switch (state_) {
    case State::kClaimed:
      return {};
    case State::kOtherWindow:
      return "这个主目录已在另一个窗口中打开：" + home + "\n已切换到那个窗口。";
    case State::kCommandLineRun:
      return "命令行正在这个主目录中剪辑：" + home + "\n请等它结束后再打开窗口，或换一个主目录。";
  }
  return {};
}

}  // namespace mivora
