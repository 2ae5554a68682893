// The clip files a run may pick (audio, intro, outro, overlay), probed once
// when it starts: a file the encoder cannot read is left out of every pick
// instead of failing the item that draws it.
#pragma once

#include <map>
#include <set>
#include <string>

#include "jobs/job_inputs.h"
#include "runner/media_info.h"
#include "runner/tool.h"

namespace mivora {

// The files of `choices`' lists the encoder cannot read: audio without a
// length, clips without a picture. The shapes of the clips' pictures go to
// `shapes`, so nobody needs to probe them again.
std::set<std::string> UnreadableClips(const FrontChoices& choices, const ToolEnv& tools,
                                      std::map<std::string, VideoShape>& shapes);

// `choices` without the files of `unreadable`.
FrontChoices WithoutClips(FrontChoices choices, const std::set<std::string>& unreadable);

}  // namespace mivora
