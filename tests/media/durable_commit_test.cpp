// Committing a finished file by rename: the order of the system calls (the
// data flushed before the rename, the folder after it) through recorded
// calls that pass on to the real ones, and what each failure leaves.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "media/durable_commit.h"
#include "support/temp_dir.h"

namespace mivora {
namespace {

using test::TempDir;

// Records every call as "<call> <what>", where what is the path an fd was
// opened on; a call named in `failing` fails instead of reaching the system.
struct Recorder {
  std::vector<std::string> calls;
  std::string failing;
  std::vector<std::string> opened = std::vector<std::string>(1024);

  CommitCalls Calls() {
    const CommitCalls& real = SystemCommitCalls();
    return {
        [this, &real](const char* path, int flags) {
          calls.push_back("open " + std::string(path));
          if (failing == calls.back()) return -1;
          int fd = real.open(path, flags);
          if (fd >= 0 && fd < 1024) opened[static_cast<std::size_t>(fd)] = path;
          return fd;
        },
        [this, &real](int fd) {
          calls.push_back("fsync " + opened[static_cast<std::size_t>(fd)]);
          if (failing == calls.back()) {
            errno = EIO;
            return -1;
          }
          return real.fsync(fd);
        },
        [this, &real](int fd) {
          calls.push_back("close " + opened[static_cast<std::size_t>(fd)]);
          return real.close(fd);
        },
        [this, &real](const char* from, const char* to) {
          calls.push_back("rename " + std::string(from) + " " + std::string(to));
          if (failing == calls.back()) return -1;
          return real.rename(from, to);
        },
    };
  }
};

TEST(CommitByRename, FlushesTheDataBeforeTheRenameAndTheFolderAfterIt) {
  TempDir dir;
  const std::string part = (dir / ".mivora-x.part.mp4").string();
  const std::string done = (dir / "x.mp4").string();
  const std::string folder = dir.path().string();
  const std::vector<std::string> whole = {
      "open " + part,   "fsync " + part,   "close " + part,  "rename " + part + " " + done,
      "open " + folder, "fsync " + folder, "close " + folder};
  struct Case {
    std::string name;
    std::string failing;    // the call that fails, or none
    std::size_t callsMade;  // how many of `whole` are made
    bool committed;         // what the commit says
    std::string left;       // "final" (the new data has the name) or "part"
  };
  const Case cases[] = {
      {"every call succeeds", "", whole.size(), true, "final"},
      {"the part file cannot be opened", whole[0], 1, false, "part"},
      {"its data cannot be flushed", whole[1], 3, false, "part"},
      {"the rename fails", whole[3], 4, false, "part"},
      // The name may then be lost in a power cut, never a broken file.
      {"the folder cannot be opened", whole[4], 5, true, "final"},
      {"the folder cannot be flushed", whole[5], whole.size(), true, "final"},
  };
  for (const Case& c : cases) {
    test::WriteFile(done, "old");
    test::WriteFile(part, "new");
    Recorder recorder;
    recorder.failing = c.failing;
    EXPECT_EQ(CommitByRename(part, done, recorder.Calls()), c.committed) << c.name;
    EXPECT_EQ(recorder.calls, std::vector<std::string>(whole.begin(), whole.begin() + c.callsMade))
        << c.name;
    if (c.left == "final") {
      EXPECT_FALSE(std::filesystem::exists(part)) << c.name;
      EXPECT_EQ(test::ReadFile(done), "new") << c.name;
    } else {
      EXPECT_EQ(test::ReadFile(part), "new") << c.name << ": the part file is the caller's";
      EXPECT_EQ(test::ReadFile(done), "old") << c.name << ": the old file stays whole";
    }
  }
  EXPECT_FALSE(CommitByRename(dir / "none.part", dir / "none")) << "no part file, no commit";
}

}  // namespace
}  // namespace mivora
