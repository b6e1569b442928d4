// End to end: the real program over a real drive C: (see e2e_support.h).
#include <gtest/gtest.h>

#include "driver/e2e_support.h"

namespace fs = std::filesystem;

namespace {

class EndToEnd : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(Environment("EVALCONV_EXE").empty());
    ClearDrive();
    InstallWriteFilterDouble("0 0");  // a filter that is not active: step 5 succeeds silently
  }
  void TearDown() override { RemoveWriteFilterDouble(); }

  std::string Expected(const char* file) { return ReadFile(SampleDir() / "expected" / file); }
  std::string OnDrive(const char* file) { return ReadFile(Drive() / file); }
};

const char* const ToolFiles[] = {"rth/Windows_WEC800.txt", "rth/Windows_WEC800_kitl.txt",
                                 "rth/WynCfg.json", "menu.lst"};

TEST_F(EndToEnd, SampleDriveIsConvertedAndASecondRunChangesNothing) {
  CopySampleDrive();
  ToolRun first = RunTool();
  EXPECT_EQ(first.output, AsPrinted("Done!\n"));
  EXPECT_EQ(first.exitCode, 0);
  for (const char* file : ToolFiles) EXPECT_EQ(OnDrive(file), Expected(file)) << file;

  ToolRun second = RunTool();
  EXPECT_EQ(second.output, AsPrinted("menu.lst has already been reverted.\nDone!\n"));
  EXPECT_EQ(second.exitCode, 0);
  for (const char* file : ToolFiles) EXPECT_EQ(OnDrive(file), Expected(file)) << file;
}

// With an empty C:\rth, and without the folder at all (then no output has a folder either).
TEST_F(EndToEnd, EmptyDriveFailsButStillCreatesTheMenu) {
  for (bool withFolder : {true, false}) {
    ClearDrive();
    if (!withFolder) fs::remove(Drive() / "rth");
    ToolRun run = RunTool();
    EXPECT_EQ(run.output, AsPrinted("Error: opening C:\\rth\\Windows_WEC800.txt\n"
                                    "Error: opening C:\\rth\\Windows_WEC800.txt\n"
                                    "Error: opening C:\\rth\\WynCfg.json\n"
                                    "Failed!\n"));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(fs::exists(Drive() / "rth"), withFolder);
    EXPECT_TRUE(!withFolder || fs::is_empty(Drive() / "rth"));
    const std::string sampleMenu = ReadFile(SampleDir() / "drive/menu.lst");
    EXPECT_EQ(OnDrive("menu.lst"), Expected("menu.lst").substr(sampleMenu.size()));
  }
}

// A failed step does not stop the others.
TEST_F(EndToEnd, LaterStepsRunAfterAFailedOne) {
  CopySampleDrive();
  fs::remove(Drive() / "rth/Windows_WEC800.txt");
  ToolRun run = RunTool();
  EXPECT_EQ(run.output, AsPrinted("Error: opening C:\\rth\\Windows_WEC800.txt\n"
                                  "Error: opening C:\\rth\\Windows_WEC800.txt\n"
                                  "Failed!\n"));
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(OnDrive("rth/WynCfg.json"), Expected("rth/WynCfg.json"));
  EXPECT_EQ(OnDrive("menu.lst"), Expected("menu.lst"));
}

// A write that fails part-way (the file size limit) leaves that file as it was; the small
// files still convert.
TEST_F(EndToEnd, WriteFailingPartWayKeepsTheOldFile) {
  CopySampleDrive();
  std::string config = "[/PCI]\r\n[/PCI/0]\r\n    \"bus\" = uint32: 1\r\n";
  for (int i = 0; i < 2000; ++i) config += "    \"padding\" = uint32: 0\r\n";
  WriteFile(Drive() / "rth/Windows_WEC800.txt", config);
  ToolRun run = RunTool(16384);
  EXPECT_EQ(run.output, AsPrinted("Error: writing C:\\rth\\Windows_WEC800.txt\n"
                                  "Error: writing C:\\rth\\Windows_WEC800_kitl.txt\n"
                                  "Failed!\n"));
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(OnDrive("rth/Windows_WEC800.txt"), config);
  EXPECT_FALSE(fs::exists(Drive() / "rth/Windows_WEC800_kitl.txt"));
  EXPECT_EQ(OnDrive("rth/WynCfg.json"), Expected("rth/WynCfg.json"));
  EXPECT_EQ(OnDrive("menu.lst"), Expected("menu.lst"));
  for (const auto& entry : fs::directory_iterator(Drive() / "rth")) {
    EXPECT_NE(entry.path().extension(), ".evalconv-new") << "temporary file left behind";
  }
}

}  // namespace
