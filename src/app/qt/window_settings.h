// Where the window remembers its choices: QSettings under organization
// "Mivora" and application "mivora", so $XDG_CONFIG_HOME/Mivora/mivora.conf.
#pragma once

#include <QSettings>

namespace mivora {

inline QSettings WindowSettings() {
  return QSettings("Mivora", "mivora");
}

}  // namespace mivora
