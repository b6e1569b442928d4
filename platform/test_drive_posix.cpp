#include "platform/test_drive.h"

#include <cstdlib>
#include <filesystem>

namespace {

std::filesystem::path HostPath(const std::wstring& path) {
  std::string rest(path.begin() + 2, path.end());  // drop "C:"; test paths are ASCII
  for (char& c : rest) {
    if (c == '\\') c = '/';
  }
  return std::getenv("EVALCONV_DRIVE_C") + rest;
}

}  // namespace

void PrepareTestDrive() {
  static std::filesystem::path drive;
  if (drive.empty()) {
    char pattern[] = "/tmp/evalconv-test-XXXXXX";
    drive = mkdtemp(pattern);
    setenv("EVALCONV_DRIVE_C", drive.c_str(), 1);
    std::atexit([] { std::filesystem::remove_all(drive); });
  }
  for (const auto& entry : std::filesystem::directory_iterator(drive)) {
    std::filesystem::remove_all(entry.path());
  }
  std::filesystem::create_directory(drive / "rth");
}

void MakeDirectoryOnDrive(const std::wstring& path) {
  std::filesystem::create_directories(HostPath(path));
}

void RemoveFromDrive(const std::wstring& path) { std::filesystem::remove_all(HostPath(path)); }

bool ExistsOnDrive(const std::wstring& path) { return std::filesystem::exists(HostPath(path)); }
