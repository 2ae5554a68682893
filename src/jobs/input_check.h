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

// Why no item of a run can be made as asked: a kind of file it needs (the
// audio; the intro or outro when switched on; the overlay clips of the
// chosen kind when there are any) of which every file is in `unreadable`,
// e.g. "片头无法读取：a.mp4、b.mp4", several joined by "；"; empty when none.
std::string ClipRefusal(const FrontChoices& choices, const std::set<std::string>& unreadable);

// `choices` without the files of `unreadable`.
FrontChoices WithoutClips(FrontChoices choices, const std::set<std::string>& unreadable);

}  // namespace mivora
