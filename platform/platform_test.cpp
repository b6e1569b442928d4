#include "platform/platform.h"

#include <gtest/gtest.h>

#include "platform/test_drive.h"

namespace {

class PlatformFiles : public testing::Test {
 protected:
  void SetUp() override { PrepareTestDrive(); }
};

const std::wstring FilePath = L"C:\\rth\\file.txt";

std::string ReadOrFail(const std::wstring& path) {
  std::string content;
  EXPECT_EQ(ReadWholeFile(path, &content), ReadOutcome::Read);
  return content;
}

TEST_F(PlatformFiles, EveryByteSurvivesTheRoundTrip) {
  std::string all;
  for (int repeat = 0; repeat < 300; ++repeat) {
    for (int byte = 0; byte < 256; ++byte) all += static_cast<char>(byte);  // 0x1A, NUL, CR...
  }
  ASSERT_EQ(ReplaceWholeFile(FilePath, all), WriteOutcome::Written);
  EXPECT_EQ(ReadOrFail(FilePath), all);
  ASSERT_EQ(ReplaceWholeFile(FilePath, "short"), WriteOutcome::Written);
  EXPECT_EQ(ReadOrFail(FilePath), "short");
  EXPECT_FALSE(ExistsOnDrive(FilePath + L".evalconv-new"));
  ASSERT_EQ(ReplaceWholeFile(FilePath, ""), WriteOutcome::Written);
  EXPECT_EQ(ReadOrFail(FilePath), "");
}

TEST_F(PlatformFiles, MissingAndUnreadable) {
  std::string content = "stale";
  EXPECT_EQ(ReadWholeFile(FilePath, &content), ReadOutcome::Missing);
  EXPECT_EQ(content, "");
  EXPECT_EQ(ReadWholeFile(L"C:\\nofolder\\file.txt", &content), ReadOutcome::Missing);
  MakeDirectoryOnDrive(FilePath);
  EXPECT_EQ(ReadWholeFile(FilePath, &content), ReadOutcome::Failed);
}

TEST_F(PlatformFiles, ReplacingAFolderOrInAMissingFolderFails) {
  MakeDirectoryOnDrive(FilePath + L"\\inside");
  EXPECT_EQ(ReplaceWholeFile(FilePath, "x"), WriteOutcome::OpenFailed);
  EXPECT_TRUE(ExistsOnDrive(FilePath + L"\\inside"));  // the folder is not moved aside
  EXPECT_FALSE(ExistsOnDrive(FilePath + L".evalconv-new"));
  EXPECT_EQ(ReplaceWholeFile(L"C:\\nofolder\\file.txt", "x"), WriteOutcome::OpenFailed);
}

TEST(SplitVolumePath, LikeTheRuntime) {
  struct Case {
    std::wstring path, volume, pathOnVolume;
  };
  const Case cases[] = {
      {L"C:\\rth\\Windows_WEC800.txt", L"C:", L"\\rth\\Windows_WEC800.txt"},
      {L"C:\\menu.lst", L"C:", L"\\menu.lst"},
      {L"\\menu.lst", L"", L"\\menu.lst"},
  };
  for (const Case& c : cases) {
    std::wstring volume, pathOnVolume;
    SplitVolumePath(c.path, &volume, &pathOnVolume);
    EXPECT_EQ(volume, c.volume);
    EXPECT_EQ(pathOnVolume, c.pathOnVolume);
  }
}

}  // namespace
