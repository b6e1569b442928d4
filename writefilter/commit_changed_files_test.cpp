// The commit step against our double of the write filter's library (write_filter_double.cpp),
// installed where the tool loads the library from and steered through the environment.
#include "writefilter/commit_changed_files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/test_drive.h"

namespace {

const std::wstring InstalledLibrary = L"C:\\Windows\\System32\\FBWFLIB.DLL";

// The double shares this process's environment.
void SetVariable(const std::string& name, const std::string& value) {
#ifdef _WIN32
  _putenv((name + "=" + value).c_str());  // an empty value removes the variable
#else
  setenv(name.c_str(), value.c_str(), 1);
#endif
}

std::string ReadHostFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

const std::vector<std::string> AllCommitted = {
    "FbwfCommitFile C: \\rth\\Windows_WEC800.txt",
    "FbwfCommitFile C: \\rth\\Windows_WEC800_kitl.txt",
    "FbwfCommitFile C: \\menu.lst",
    "FbwfCommitFile C: \\rth\\WynCfg.json",
};

class CommitChangedFilesTest : public testing::Test {
 protected:
  void SetUp() override {
    PrepareTestDrive();
    // Unique per process: the native and the sanitizer builds may run at the same time.
    static const std::filesystem::path log =
        std::filesystem::temp_directory_path() /
        ("evalconv-write-filter-" + std::to_string(std::random_device()()) + ".log");
    log_ = log;
    std::filesystem::remove(log_);
    SetVariable("EVALCONV_FBWF_LOG", log_.string());
  }

  void TearDown() override {
    RemoveFromDrive(InstalledLibrary);
    std::filesystem::remove(log_);
    for (const char* name : {"EVALCONV_FBWF_LOG", "EVALCONV_FBWF_FLAGS", "EVALCONV_FBWF_FAILING"}) {
      SetVariable(name, "");
    }
  }

  // `flags` and `failing` as the double reads them (see write_filter_double.cpp).
  void Install(const char* builtDouble, const std::string& flags, const std::string& failing) {
    std::string library = ReadHostFile(builtDouble);
    ASSERT_FALSE(library.empty()) << builtDouble;
    MakeDirectoryOnDrive(L"C:\\Windows\\System32");
    ASSERT_EQ(ReplaceWholeFile(InstalledLibrary, library), WriteOutcome::Written);
    SetVariable("EVALCONV_FBWF_FLAGS", flags);
    SetVariable("EVALCONV_FBWF_FAILING", failing);
  }

  // Runs the step; what it printed and what the double logged go to `printed` and `log`.
  bool Commit(std::string* printed, std::vector<std::string>* log) {
    testing::internal::CaptureStdout();
    bool result = CommitChangedFiles();
    *printed = testing::internal::GetCapturedStdout();
    *log = Lines(ReadHostFile(log_));
    return result;
  }

  std::filesystem::path log_;
};

TEST_F(CommitChangedFilesTest, LibraryMissing) {
  std::string printed;
  std::vector<std::string> log;
  EXPECT_FALSE(Commit(&printed, &log));
  EXPECT_EQ(printed, "Could not load FBWFLIB.DLL\n");
  EXPECT_TRUE(log.empty());
}

TEST_F(CommitChangedFilesTest, EntryPointMissingIsReportedAndTheLibraryReleased) {
  Install(BUILT_WRITE_FILTER_DOUBLE_WITHOUT_COMMIT, "1 0", "");
  std::string printed;
  std::vector<std::string> log;
  EXPECT_FALSE(Commit(&printed, &log));
  EXPECT_EQ(printed, "Error retrieving function pointers from FBWFLIB.DLL\n");
  EXPECT_EQ(log, (std::vector<std::string>{"loaded", "released"}));
}

// Only a current-session flag of exactly 1 commits; every file is tried, in the fixed order,
// and the library is released on every path.
TEST_F(CommitChangedFilesTest, CommitsOnlyWhenActiveInThisSession) {
  struct Case {
    const char* what;
    const char* flags;
    const char* failing;
    bool result;
    const char* printed;
    std::vector<std::string> commits;
  };
  const Case cases[] = {
      {"active", "1 0", "", true, "", AllCommitted},
      {"active, one commit failing", "1 1", "\\menu.lst", false, "Commit of C:\\menu.lst failed!\n",
       AllCommitted},
      {"first and last failing", "1 1", "\\rth\\Windows_WEC800.txt;\\rth\\WynCfg.json", false,
       "Commit of C:\\rth\\Windows_WEC800.txt failed!\nCommit of C:\\rth\\WynCfg.json failed!\n",
       AllCommitted},
      {"next session only", "0 1", "", true, "", {}},
      {"current flag not exactly 1", "2 1", "", true, "", {}},
      {"query failing, flags unset", "fail", "", true, "", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Install(BUILT_WRITE_FILTER_DOUBLE, c.flags, c.failing);
    std::string printed;
    std::vector<std::string> log;
    EXPECT_EQ(Commit(&printed, &log), c.result);
    EXPECT_EQ(printed, c.printed);
    std::vector<std::string> expected = {"loaded", "FbwfIsFilterEnabled"};
    expected.insert(expected.end(), c.commits.begin(), c.commits.end());
    expected.push_back("released");
    EXPECT_EQ(log, expected);
    std::filesystem::remove(log_);
  }
}

}  // namespace
