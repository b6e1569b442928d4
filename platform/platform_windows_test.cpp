#include "platform/platform.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "platform/test_drive.h"

namespace {

// Another process's open that shares nothing: neither reading nor replacing may get through,
// and the file must come out of it unchanged.
TEST(WindowsLockedFile, IsNeitherReadNorReplaced) {
  PrepareTestDrive();
  const std::wstring path = L"C:\\menu.lst";
  ASSERT_EQ(ReplaceWholeFile(path, "menu\r\n"), WriteOutcome::Written);
  HANDLE lock = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  std::string content;
  EXPECT_EQ(ReadWholeFile(path, &content), ReadOutcome::Failed);
  EXPECT_EQ(ReplaceWholeFile(path, "new"), WriteOutcome::OpenFailed);
  CloseHandle(lock);
  EXPECT_FALSE(ExistsOnDrive(path + L".evalconv-new"));
  ASSERT_EQ(ReadWholeFile(path, &content), ReadOutcome::Read);
  EXPECT_EQ(content, "menu\r\n");
}

// A reader that shares everything, as the tool itself opens files, does not block a rewrite.
TEST(WindowsSharedFile, CanBeReplacedWhileOpen) {
  PrepareTestDrive();
  const std::wstring path = L"C:\\rth\\WynCfg.json";
  ASSERT_EQ(ReplaceWholeFile(path, "{}\r\n"), WriteOutcome::Written);
  HANDLE reader = CreateFileW(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  std::string content;
  EXPECT_EQ(ReadWholeFile(path, &content), ReadOutcome::Read);
  EXPECT_EQ(ReplaceWholeFile(path, "[]\r\n"), WriteOutcome::Written);
  CloseHandle(reader);
  ASSERT_EQ(ReadWholeFile(path, &content), ReadOutcome::Read);
  EXPECT_EQ(content, "[]\r\n");
}

}  // namespace
