#include "jobs/clip_time.h"

namespace mivora {

std::string ClipTime(long long seconds) {
  long long minutes = seconds / 60;
  long long rest = seconds % 60;
  long long hours = 0;
  if (minutes >= 60) {
    hours = minutes / 60;
    minutes %= 60;
  }
  return std::to_string(hours) + ":" + std::to_string(minutes) + ":" + std::to_string(rest) + ".0";
}

}  // namespace mivora
