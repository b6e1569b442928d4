#include "platform/test_drive.h"

#include <filesystem>

void PrepareTestDrive() {
  std::filesystem::remove_all(L"C:\\rth");
  std::filesystem::remove_all(L"C:\\menu.lst");
  std::filesystem::create_directory(L"C:\\rth");
}

void MakeDirectoryOnDrive(const std::wstring& path) { std::filesystem::create_directories(path); }

void RemoveFromDrive(const std::wstring& path) { std::filesystem::remove_all(path); }

bool ExistsOnDrive(const std::wstring& path) { return std::filesystem::exists(path); }
