// The window saves its home folder with QSettings; mivora-cli, which links no
// Qt, reads it with its own small reader. Both must agree on every path.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QSettings>
#include <string>

#include "media/home_folder.h"
#include "support/temp_dir.h"

namespace mivora {
namespace {

TEST(SavedHome, WhatQSettingsWritesReadsBackTheSame) {
  test::TempDir config;
  // QSettings finds its folder once per process, so before its first use.
  setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
  const std::filesystem::path file = WindowSettingsFile(config.path().string(), "/nowhere");
  const std::string paths[] = {
      "/home/用户/视频 素材",
      "  /blanks around  ",
      "/a,b;c=d/\"quoted\"/back\\slash",
      "@/starts with an at",
      "/tab\there/ctl\x01"
      "2/del\x7f",
      "/😀/emoji",
      "",
  };
  for (const std::string& path : paths) {
    {
      QSettings settings("Mivora", "mivora");
      settings.setValue("paths/other", QStringList{"a", "b"});
      settings.setValue("paths/home", QString::fromStdString(path));
      settings.setValue("size", 3);
      settings.sync();
      ASSERT_EQ(settings.fileName().toStdString(), file.string());
    }
    EXPECT_EQ(SavedHomeChoice(file), path);
  }
}

}  // namespace
}  // namespace mivora
