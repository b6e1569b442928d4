// Support for end-to-end tests: the real program, started as a process over a real drive C:.
// Natively the drive is a temporary folder (EVALCONV_DRIVE_C); with EVALCONV_LAUNCHER set (Wine)
// it is the prefix's drive_c and the program is the Windows .exe.
#pragma once

#include <sys/resource.h>
#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

/// Value of an environment variable, empty when unset.
std::string Environment(const char* name);

/// True when the program under test is the Windows .exe run through Wine.
bool UnderWine();

/// The host folder that is drive C: for the program under test.
std::filesystem::path Drive();

/// The bundled sample: `SampleDir() / "drive"` and `SampleDir() / "expected"`.
std::filesystem::path SampleDir();

std::string ReadFile(const std::filesystem::path& path);
void WriteFile(const std::filesystem::path& path, const std::string& content);

/// `text` as the program prints it: the Windows C runtime writes each "\n" as CR LF.
std::string AsPrinted(const std::string& text);

struct ToolRun {
  int exitCode = -1;  // -1 when the process did not exit normally
  std::string output;
};

/// Starts the program with standard output in `outputFile`; writes past `fileSizeLimit` bytes
/// fail (EFBIG) in it. Returns the child's process id.
pid_t StartTool(const std::filesystem::path& outputFile, rlim_t fileSizeLimit = RLIM_INFINITY);

/// Runs the program to its end. Output goes through a file, never a pipe: Wine's background
/// services may hold a pipe open long after the program has exited.
ToolRun RunTool(rlim_t fileSizeLimit = RLIM_INFINITY);

/// Removes the tool's four files and C:\rth, then creates an empty C:\rth.
void ClearDrive();

/// Copies the sample drive onto the drive under test.
void CopySampleDrive();

/// Puts our double of the write filter's library (writefilter/write_filter_double.cpp) where the
/// program under test loads FBWFLIB.DLL from, steered by `flags` and `failingCommits` as the
/// double describes; without `commitFile` it is the variant that lacks FbwfCommitFile.
void InstallWriteFilterDouble(const std::string& flags, const std::string& failingCommits = "",
                              bool commitFile = true);

/// Removes the double and its log; nothing happens when it is not installed.
void RemoveWriteFilterDouble();

/// What the double has logged since it was installed, one entry a line.
std::vector<std::string> WriteFilterLog();
