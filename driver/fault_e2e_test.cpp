// Faults, end to end: whatever fails and wherever the program is stopped, each of the four
// files is either exactly as it was or exactly its complete new version.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <random>
#include <thread>

#include "driver/e2e_support.h"
#include "rewriters/hypervisor_config.h"
#include "rewriters/kitl_config.h"
#include "rewriters/network_buses.h"

namespace fs = std::filesystem;

namespace {

const char HypervisorFile[] = "rth/Windows_WEC800.txt";
const char KitlFile[] = "rth/Windows_WEC800_kitl.txt";
const char JsonFile[] = "rth/WynCfg.json";
const char MenuFile[] = "menu.lst";
const char* const ToolFiles[] = {HypervisorFile, KitlFile, JsonFile, MenuFile};

std::string WindowsPath(const std::string& file) {
  std::string path = "C:\\" + file;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// The sample drive grown to several 4 KiB blocks per file, with changes all through each file.
std::map<std::string, std::string> RealisticDrive(int repeat) {
  std::map<std::string, std::string> files;
  std::string hypervisor = ReadFile(SampleDir() / "drive" / HypervisorFile);
  for (int i = 0; i < repeat; ++i) {
    hypervisor += "[/PCI/" + std::to_string(7 + i) +
                  "]\r\n    \"vendor_ID\" = uint32: 0x1D0F\r\n"
                  "    \"device_ID\" = uint32: 0x3005\r\n    \"OS\" = uint32: 1\r\n\r\n";
  }
  files[HypervisorFile] = hypervisor;
  std::string json = ReadFile(SampleDir() / "drive" / JsonFile);
  std::string members;
  for (int i = 0; i < repeat; ++i) members += "    \"Reserved" + std::to_string(i) + "\": [1],\r\n";
  json.insert(json.find("\r\n") + 2, members);
  files[JsonFile] = json;
  std::string menu = ReadFile(SampleDir() / "drive" / MenuFile);
  for (int i = 0; i < repeat / 4; ++i) {
    menu += "\r\ntitle Maintenance " + std::to_string(i) + "\r\n    root(hd0, 0)\r\n    chainloader +1\r\n";
  }
  files[MenuFile] = menu;
  std::string kitl;
  for (int i = 0; i < repeat; ++i) kitl += "# KITL variant of an earlier run\r\n";
  files[KitlFile] = kitl;
  return files;
}

void PutOnDrive(const std::map<std::string, std::string>& files) {
  for (const auto& [name, content] : files) WriteFile(Drive() / name, content);
}

class Faults : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(Environment("EVALCONV_EXE").empty());
    ClearDrive();
    InstallWriteFilterDouble("0 0");  // not active: the commit step succeeds silently
  }
  void TearDown() override { RemoveWriteFilterDouble(); }

  // What a complete run makes of `before`; the KITL file is derived from the hypervisor
  // configuration as it stands when step 2 reads it, converted or not.
  void ComputeVersions(const std::map<std::string, std::string>& before) {
    before_ = before;
    PutOnDrive(before);
    ToolRun run = RunTool();
    ASSERT_EQ(run.exitCode, 0) << run.output;
    for (const char* file : ToolFiles) after_[file] = ReadFile(Drive() / file);
    kitlFromUnconverted_ = RewriteText(before.at(HypervisorFile), MakeKitlLineHandler());
  }

  // Each file is old or complete new; returns which files were converted. A killed run may
  // leave a temporary file beside its target (the next run overwrites it); nothing else may.
  std::map<std::string, bool> CheckNoTornFile(bool killed = false) {
    std::map<std::string, bool> converted;
    for (const char* file : ToolFiles) {
      std::string now = ReadFile(Drive() / file);
      std::string complete = after_[file];
      if (file == std::string(KitlFile) && !converted[HypervisorFile]) complete = kitlFromUnconverted_;
      EXPECT_TRUE(now == before_[file] || now == complete) << file << " is torn";
      converted[file] = now == complete && now != before_[file];
    }
    for (const auto& entry : fs::recursive_directory_iterator(Drive() / "rth")) {
      if (!killed) {
        EXPECT_NE(entry.path().extension(), ".evalconv-new") << "temporary file left behind";
      }
    }
    return converted;
  }

  std::map<std::string, std::string> before_, after_;
  std::string kitlFromUnconverted_;
};

// The write of each file fails at every 4 KiB offset in turn (the file size limit).
TEST_F(Faults, WriteFailingAtEveryOffset) {
  ComputeVersions(RealisticDrive(300));
  size_t largest = 0;
  for (const auto& [name, content] : after_) largest = std::max(largest, content.size());
  for (size_t limit = 0; limit <= largest + 4096; limit += 4096) {
    PutOnDrive(before_);
    ToolRun run = RunTool(limit);
    std::map<std::string, bool> converted = CheckNoTornFile();
    bool allConverted = true;
    for (const char* file : ToolFiles) {
      std::string complete = file == std::string(KitlFile) && !converted[HypervisorFile]
                                 ? kitlFromUnconverted_
                                 : after_[file];
      EXPECT_EQ(converted[file], complete.size() <= limit) << file << " at limit " << limit;
      if (!converted[file]) {
        allConverted = false;
        // Standard output is a file under the same limit: at 0 not even a message fits.
        if (limit > 0) {
          EXPECT_TRUE(Contains(run.output, AsPrinted("Error: writing " + WindowsPath(file) + "\n")))
              << file << " at limit " << limit << ": " << run.output;
        }
      }
    }
    if (limit > 0) {
      EXPECT_EQ(run.exitCode, allConverted ? 0 : 1) << "limit " << limit;
    }
  }
}

// Killed at random moments, the program leaves no torn file.
TEST_F(Faults, KilledAtRandomMoments) {
  if (UnderWine()) GTEST_SKIP() << "the timing of a kill under Wine says little about the program";
  ComputeVersions(RealisticDrive(40000));
  PutOnDrive(before_);
  auto start = std::chrono::steady_clock::now();
  RunTool();
  auto fullRun = std::chrono::duration_cast<std::chrono::microseconds>(
      std::chrono::steady_clock::now() - start);
  std::mt19937 random(11);
  fs::path outputFile = fs::temp_directory_path() / ("evalconv-kill-" + std::to_string(getpid()));
  for (int attempt = 0; attempt < 16; ++attempt) {
    PutOnDrive(before_);
    pid_t child = StartTool(outputFile);
    std::this_thread::sleep_for(std::chrono::microseconds(random() % fullRun.count()));
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    CheckNoTornFile(true);
  }
  fs::remove(outputFile);
  // A complete run after the kills converts everything and leaves no temporary file.
  ToolRun run = RunTool();
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(ReadFile(Drive() / HypervisorFile), after_[HypervisorFile]);
  CheckNoTornFile();
}

// A file that cannot be opened is reported on one line and left alone; the other steps still
// convert their files, and the run fails.
TEST_F(Faults, FilesThatCannotBeOpened) {
  struct Case {
    const char* file;
    const char* output;
  };
  const Case cases[] = {
      {HypervisorFile,
       "Error: opening C:\\rth\\Windows_WEC800.txt\nError: opening C:\\rth\\Windows_WEC800.txt\n"},
      {KitlFile, "Error: opening C:\\rth\\Windows_WEC800_kitl.txt\n"},
      {JsonFile, "Error: opening C:\\rth\\WynCfg.json\n"},
      {MenuFile, "Error: opening C:\\menu.lst\n"},
  };
  ComputeVersions(RealisticDrive(3));
  enum class Way { Missing, Folder, Locked };
  for (Way way : {Way::Missing, Way::Folder, Way::Locked}) {
    if (way == Way::Locked && (!UnderWine() || Environment("EVALCONV_FILE_LOCKER").empty())) {
      continue;  // only Windows lets another process lock a file
    }
    for (const Case& c : cases) {
      // A missing KITL file is simply created and a missing menu is an empty one.
      if (way == Way::Missing && (c.file == KitlFile || c.file == MenuFile)) continue;
      SCOPED_TRACE(std::string(c.file) + " way " + std::to_string(static_cast<int>(way)));
      ClearDrive();
      PutOnDrive(before_);
      fs::path broken = Drive() / c.file;
      pid_t locker = 0;
      fs::path ready = Drive() / "locker-ready", release = Drive() / "locker-release";
      if (way == Way::Missing) fs::remove(broken);
      if (way == Way::Folder) {
        fs::remove(broken);
        fs::create_directories(broken / "inside");
      }
      if (way == Way::Locked) {
        fs::remove(ready);
        fs::remove(release);
        locker = fork();
        if (locker == 0) {
          std::string launcher = Environment("EVALCONV_LAUNCHER");
          std::string exe = Environment("EVALCONV_FILE_LOCKER");
          std::string file = WindowsPath(c.file);
          freopen("/dev/null", "w", stdout);
          freopen("/dev/null", "w", stderr);
          execl(launcher.c_str(), launcher.c_str(), exe.c_str(), file.c_str(), "C:\\locker-ready",
                "C:\\locker-release", static_cast<char*>(nullptr));
          _exit(127);
        }
        for (int i = 0; i < 3000 && !fs::exists(ready); ++i) {
          std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ASSERT_TRUE(fs::exists(ready)) << "the locker did not start";
      }
      ToolRun run = RunTool();
      if (locker) {
        WriteFile(release, "");
        waitpid(locker, nullptr, 0);
      }
      EXPECT_EQ(run.output, AsPrinted(std::string(c.output) + "Failed!\n"));
      EXPECT_EQ(run.exitCode, 1);
      if (way == Way::Folder) {
        EXPECT_TRUE(fs::exists(broken / "inside"));
      } else if (way == Way::Missing) {
        EXPECT_FALSE(fs::exists(broken));
      } else {
        EXPECT_EQ(ReadFile(broken), before_[c.file]);
      }
      for (const char* file : ToolFiles) {
        if (file == c.file) continue;
        // Without its input the KITL file keeps its old content.
        const bool kitlWithoutInput = c.file == HypervisorFile && file == KitlFile;
        EXPECT_EQ(ReadFile(Drive() / file), kitlWithoutInput ? before_[file] : after_[file])
            << file;
      }
    }
  }
  fs::remove(Drive() / "locker-ready");
  fs::remove(Drive() / "locker-release");
}

}  // namespace
