// The installed shape of the plug-in: the TavlorCatalog program itself, started on a
// folder of a real, labelled ext4 volume mounted in a private mount namespace
// (scripts/loop_volume.sh). Skipped without root and loop devices.
#include "plugin_support.h"

using testing_support::readFile;

TEST_F(PluginTest, TheProgramCatalogsALoopMountedVolumeAndOpensTheCatalog) {
  std::string why;
  if (!testing_support::canUseLoopMounts(&why)) GTEST_SKIP() << "real-volume test skipped: " << why;
  useSettings("TavlorCatalog_Dialog=0\nTavlorCatalog_Eject=1\nTavlorCatalog_Launch=1\n");
  ::unsetenv("TAVLOR_VOLUME_TABLE");
  const std::string script = "mkdir \"$TAVLOR_LOOP_MOUNT/photos\" && echo hi >\"$TAVLOR_LOOP_MOUNT/photos/a.jpg\" && "
                             "exec timeout 120 \"$0\" \"$TAVLOR_LOOP_MOUNT/photos\"";
  const testing_support::RunResult result =
      testing_support::runProgram({"/bin/bash", std::string(TAVLOR_SOURCE_DIR) + "/scripts/loop_volume.sh", "PLUGDISK",
                                   "sh", "-c", script, TAVLOR_PLUGIN_PATH},
                                  {"XDG_CONFIG_HOME=" + dir_.path() + "/config", "QT_QPA_PLATFORM=offscreen",
                                   "PATH=" + std::string(getenv("PATH"))});
  ASSERT_EQ(result.status, 0) << result.out << result.err;
  const std::string catalog = readFile(catalogs() + "/PLUGDISK.zar");
  EXPECT_EQ(catalog.rfind("zar_version_1_1", 0), 0u);
  EXPECT_NE(catalog.find("PLUGDISK"), std::string::npos);
  EXPECT_NE(catalog.find("a.jpg"), std::string::npos);
  EXPECT_EQ(opened(true), std::vector<std::string>{catalogs() + "/PLUGDISK.zar"});
}
