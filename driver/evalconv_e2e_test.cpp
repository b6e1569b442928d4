// End to end: the real program, started as a process over a real drive C:. Natively the drive
// is a temporary folder (EVALCONV_DRIVE_C); with EVALCONV_LAUNCHER (Wine) it is the prefix's
// drive_c and the program is the Windows .exe.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

namespace {

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

bool UnderWine() { return !Environment("EVALCONV_LAUNCHER").empty(); }

fs::path Drive() {
  static fs::path drive;
  if (drive.empty()) {
    if (UnderWine()) {
      EXPECT_FALSE(Environment("WINEPREFIX").empty());
      drive = fs::path(Environment("WINEPREFIX")) / "drive_c";
    } else {
      char pattern[] = "/tmp/evalconv-e2e-XXXXXX";
      drive = mkdtemp(pattern);
      std::atexit([] { fs::remove_all(drive); });
    }
  }
  return drive;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

void WriteFile(const fs::path& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

// The Windows C runtime writes standard output in text mode: each "\n" comes out as CR LF.
std::string AsPrinted(const std::string& text) {
  if (!UnderWine()) return text;
  std::string printed;
  for (char c : text) {
    if (c == '\n') printed += '\r';
    printed += c;
  }
  return printed;
}

struct ToolRun {
  int exitCode = -1;
  std::string output;
};

pid_t Start(const fs::path& outputFile, rlim_t fileSizeLimit) {
  pid_t child = fork();
  if (child == 0) {
    int out = open(outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int nothing = open("/dev/null", O_RDWR);
    dup2(nothing, 0);
    dup2(out, 1);
    dup2(nothing, 2);
    if (fileSizeLimit != RLIM_INFINITY) {
      signal(SIGXFSZ, SIG_IGN);  // writes past the limit then fail with EFBIG
      rlimit limit{fileSizeLimit, fileSizeLimit};
      setrlimit(RLIMIT_FSIZE, &limit);
    }
    setenv("EVALCONV_DRIVE_C", Drive().c_str(), 1);
    std::string exe = Environment("EVALCONV_EXE");
    std::string launcher = Environment("EVALCONV_LAUNCHER");
    if (launcher.empty()) {
      execl(exe.c_str(), exe.c_str(), static_cast<char*>(nullptr));
    } else {
      execl(launcher.c_str(), launcher.c_str(), exe.c_str(), static_cast<char*>(nullptr));
    }
    _exit(127);
  }
  return child;
}

// Output goes through a file, never a pipe: Wine's background services may hold a pipe open.
ToolRun RunTool(rlim_t fileSizeLimit = RLIM_INFINITY) {
  fs::path outputFile = fs::temp_directory_path() / ("evalconv-e2e-out-" + std::to_string(getpid()));
  pid_t child = Start(outputFile, fileSizeLimit);
  int status = 0;
  waitpid(child, &status, 0);
  ToolRun run;
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.output = ReadFile(outputFile);
  fs::remove(outputFile);
  return run;
}

const char* const DriveFiles[] = {"rth/Windows_WEC800.txt", "rth/Windows_WEC800_kitl.txt",
                                  "rth/WynCfg.json", "menu.lst"};

class EndToEnd : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(Environment("EVALCONV_EXE").empty());
    fs::remove_all(Drive() / "rth");
    fs::remove(Drive() / "menu.lst");
    fs::create_directories(Drive() / "rth");
  }

  void CopySampleDrive() {
    fs::copy(fs::path(Environment("EVALCONV_SAMPLE")) / "drive", Drive(),
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
  }

  std::string Expected(const char* file) {
    return ReadFile(fs::path(Environment("EVALCONV_SAMPLE")) / "expected" / file);
  }

  std::string OnDrive(const char* file) { return ReadFile(Drive() / file); }
};

TEST_F(EndToEnd, SampleDriveIsConvertedAndASecondRunChangesNothing) {
  CopySampleDrive();
  ToolRun first = RunTool();
  EXPECT_EQ(first.output, AsPrinted("Done!\n"));
  EXPECT_EQ(first.exitCode, 0);
  EXPECT_EQ(OnDrive("rth/Windows_WEC800.txt"), Expected("rth/Windows_WEC800.txt"));

  ToolRun second = RunTool();
  EXPECT_EQ(second.output, AsPrinted("Done!\n"));
  EXPECT_EQ(second.exitCode, 0);
  EXPECT_EQ(OnDrive("rth/Windows_WEC800.txt"), Expected("rth/Windows_WEC800.txt"));
}

TEST_F(EndToEnd, MissingHypervisorConfigFails) {
  ToolRun run = RunTool();
  EXPECT_EQ(run.output, AsPrinted("Error: opening C:\\rth\\Windows_WEC800.txt\nFailed!\n"));
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_FALSE(fs::exists(Drive() / "rth/Windows_WEC800.txt"));
}

// A write that fails part-way (the file size limit) leaves every file as it was.
TEST_F(EndToEnd, WriteFailingPartWayKeepsTheOldFile) {
  std::string config = "[/PCI]\r\n[/PCI/0]\r\n    \"bus\" = uint32: 1\r\n";
  for (int i = 0; i < 2000; ++i) config += "    \"padding\" = uint32: 0\r\n";
  WriteFile(Drive() / "rth/Windows_WEC800.txt", config);
  ToolRun run = RunTool(16384);
  EXPECT_EQ(run.output, AsPrinted("Error: writing C:\\rth\\Windows_WEC800.txt\nFailed!\n"));
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(OnDrive("rth/Windows_WEC800.txt"), config);
  EXPECT_FALSE(fs::exists(Drive() / "rth/Windows_WEC800.txt.evalconv-new"));
}

// Killed at any moment, the tool leaves each file old or new, never torn.
TEST_F(EndToEnd, KilledAtAnyMomentLeavesNoTornFile) {
  if (UnderWine()) GTEST_SKIP() << "timing of a kill under Wine says little about the program";
  std::string config = "[/PCI]\r\n[/PCI/0]\r\n";
  for (int i = 0; i < 400000; ++i) config += "    \"bus\" = uint32: 1\r\n";
  std::string converted = "[/PCI]\r\n[/PCI/0]\r\n";
  for (int i = 0; i < 400000; ++i) converted += "    \"bus\" = uint32: 2\r\n";
  std::mt19937 random(7);
  fs::path outputFile = fs::temp_directory_path() / ("evalconv-kill-" + std::to_string(getpid()));
  int sawOld = 0, sawNew = 0;
  for (int attempt = 0; attempt < 12; ++attempt) {
    WriteFile(Drive() / "rth/Windows_WEC800.txt", config);
    pid_t child = Start(outputFile, RLIM_INFINITY);
    std::this_thread::sleep_for(std::chrono::milliseconds(random() % 600));
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    std::string after = OnDrive("rth/Windows_WEC800.txt");
    ASSERT_TRUE(after == config || after == converted) << "torn file after attempt " << attempt;
    (after == config ? sawOld : sawNew) += 1;
  }
  fs::remove(outputFile);
  RecordProperty("old", sawOld);
  RecordProperty("new", sawNew);
}

}  // namespace
