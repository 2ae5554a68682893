// The time texts of segment cuts: whole seconds as "h:m:s.0".
#pragma once

#include <string>

namespace mivora {

// 75 gives "0:1:15.0", 3725 gives "1:2:5.0"; hours do not wrap.
std::string ClipTime(long long seconds);

}  // namespace mivora
