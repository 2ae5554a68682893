#include "jobs/resume_check.h"

#include <system_error>

#include "jobs/item_output.h"
#include "media/video_check.h"

namespace mivora {

ExistingOutput CheckExistingOutput(const std::filesystem::path& finished, const Canvas& canvas) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(finished, error)) return ExistingOutput::kMissing;
  return CheckFinishedVideo(finished, OutputFrame(canvas)) == VideoFault::kNone
             ? ExistingOutput::kWhole
             : ExistingOutput::kBroken;
}

}  // namespace mivora
