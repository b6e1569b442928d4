// End to end: the real program over the sample drive with our double of the write filter's
// library in place (see driver/e2e_support.h).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/e2e_support.h"

namespace {

class WriteFilterEndToEnd : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(Environment("EVALCONV_EXE").empty());
    RemoveWriteFilterDouble();
  }
  void TearDown() override { RemoveWriteFilterDouble(); }
};

std::vector<std::string> Logged(const std::vector<std::string>& commits) {
  std::vector<std::string> log = {"loaded", "FbwfIsFilterEnabled"};
  log.insert(log.end(), commits.begin(), commits.end());
  log.push_back("released");
  return log;
}

const std::vector<std::string> AllCommitted = {
    "FbwfCommitFile C: \\rth\\Windows_WEC800.txt",
    "FbwfCommitFile C: \\rth\\Windows_WEC800_kitl.txt",
    "FbwfCommitFile C: \\menu.lst",
    "FbwfCommitFile C: \\rth\\WynCfg.json",
};

TEST_F(WriteFilterEndToEnd, SampleDriveIsConvertedAndEveryFileCommitted) {
  ClearDrive();
  CopySampleDrive();
  InstallWriteFilterDouble("1 0");
  ToolRun run = RunTool();
  EXPECT_EQ(run.output, AsPrinted("Done!\n"));
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(WriteFilterLog(), Logged(AllCommitted));
}

TEST_F(WriteFilterEndToEnd, FailuresAndAnInactiveFilter) {
  enum class Library { Missing, WithoutCommit, Complete };
  struct Case {
    const char* what;
    Library library;
    const char* flags;
    const char* failing;
    const char* output;
    int exitCode;
    std::vector<std::string> log;
  };
  const std::vector<std::string> loadedAndReleased = {"loaded", "released"};
  const Case cases[] = {
      {"library missing", Library::Missing, "", "", "Could not load FBWFLIB.DLL\nFailed!\n", 1, {}},
      {"entry point missing", Library::WithoutCommit, "1 0", "",
       "Error retrieving function pointers from FBWFLIB.DLL\nFailed!\n", 1, loadedAndReleased},
      {"one commit failing", Library::Complete, "1 0", "\\menu.lst",
       "Commit of C:\\menu.lst failed!\nFailed!\n", 1, Logged(AllCommitted)},
      {"enabled for the next session only", Library::Complete, "0 1", "", "Done!\n", 0, Logged({})},
      {"query failing", Library::Complete, "fail", "", "Done!\n", 0, Logged({})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ClearDrive();
    CopySampleDrive();
    RemoveWriteFilterDouble();
    if (c.library != Library::Missing) {
      InstallWriteFilterDouble(c.flags, c.failing, c.library == Library::Complete);
    }
    ToolRun run = RunTool();
    EXPECT_EQ(run.output, AsPrinted(c.output));
    EXPECT_EQ(run.exitCode, c.exitCode);
    EXPECT_EQ(WriteFilterLog(), c.log);
  }
}

}  // namespace
