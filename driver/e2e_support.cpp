#include "driver/e2e_support.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

bool UnderWine() { return !Environment("EVALCONV_LAUNCHER").empty(); }

fs::path Drive() {
  static fs::path drive;
  if (drive.empty()) {
    if (UnderWine()) {
      if (Environment("WINEPREFIX").empty()) std::abort();  // the prefix must be named
      drive = fs::path(Environment("WINEPREFIX")) / "drive_c";
    } else {
      char pattern[] = "/tmp/evalconv-e2e-XXXXXX";
      drive = mkdtemp(pattern);
      std::atexit([] { fs::remove_all(drive); });
    }
  }
  return drive;
}

fs::path SampleDir() { return Environment("EVALCONV_SAMPLE"); }

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

void WriteFile(const fs::path& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

std::string AsPrinted(const std::string& text) {
  if (!UnderWine()) return text;
  std::string printed;
  for (char c : text) {
    if (c == '\n') printed += '\r';
    printed += c;
  }
  return printed;
}

pid_t StartTool(const fs::path& outputFile, rlim_t fileSizeLimit) {
  pid_t child = fork();
  if (child == 0) {
    int out = open(outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int nothing = open("/dev/null", O_RDWR);
    dup2(nothing, 0);
    dup2(out, 1);
    dup2(nothing, 2);
    if (fileSizeLimit != RLIM_INFINITY) {
      signal(SIGXFSZ, SIG_IGN);
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

ToolRun RunTool(rlim_t fileSizeLimit) {
  fs::path outputFile =
      fs::temp_directory_path() / ("evalconv-e2e-out-" + std::to_string(getpid()));
  pid_t child = StartTool(outputFile, fileSizeLimit);
  int status = 0;
  waitpid(child, &status, 0);
  ToolRun run;
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.output = ReadFile(outputFile);
  fs::remove(outputFile);
  return run;
}

void ClearDrive() {
  fs::remove_all(Drive() / "rth");
  fs::remove_all(Drive() / "menu.lst");
  fs::create_directories(Drive() / "rth");
}

void CopySampleDrive() {
  fs::copy(SampleDir() / "drive", Drive(),
           fs::copy_options::recursive | fs::copy_options::overwrite_existing);
}

namespace {

fs::path InstalledWriteFilter() {
  // Wine's system folder is spelled in lower case.
  return Drive() / (UnderWine() ? "windows/system32" : "Windows/System32") / "FBWFLIB.DLL";
}

fs::path WriteFilterLogFile() { return Drive() / "write-filter-double.log"; }

const char* const WriteFilterSettings[] = {"EVALCONV_FBWF_FLAGS", "EVALCONV_FBWF_FAILING",
                                           "EVALCONV_FBWF_LOG"};

}  // namespace

void InstallWriteFilterDouble(const std::string& flags, const std::string& failingCommits,
                              bool commitFile) {
  std::string built =
      Environment(commitFile ? "EVALCONV_FBWF_DOUBLE" : "EVALCONV_FBWF_DOUBLE_WITHOUT_COMMIT");
  if (built.empty()) std::abort();  // the test must be told where the built double is
  RemoveWriteFilterDouble();
  // A new file rather than one overwritten, which a process might still have mapped.
  fs::create_directories(InstalledWriteFilter().parent_path());
  fs::copy_file(built, InstalledWriteFilter());
  // The program under test inherits these; the log is named as that program sees it.
  setenv("EVALCONV_FBWF_FLAGS", flags.c_str(), 1);
  setenv("EVALCONV_FBWF_FAILING", failingCommits.c_str(), 1);
  setenv("EVALCONV_FBWF_LOG",
         UnderWine() ? "C:\\write-filter-double.log" : WriteFilterLogFile().c_str(), 1);
}

void RemoveWriteFilterDouble() {
  fs::remove(InstalledWriteFilter());
  fs::remove(WriteFilterLogFile());
  for (const char* name : WriteFilterSettings) unsetenv(name);
}

std::vector<std::string> WriteFilterLog() {
  std::vector<std::string> lines;
  std::istringstream log(ReadFile(WriteFilterLogFile()));
  for (std::string line; std::getline(log, line);) lines.push_back(line);
  return lines;
}
