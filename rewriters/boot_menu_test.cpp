#include "rewriters/boot_menu.h"

#include <gtest/gtest.h>

#include "driver/fixed_paths.h"
#include "platform/platform.h"
#include "platform/test_drive.h"
#include "text/test_text.h"

namespace {

const std::string Entries = WithCrLf(
    "\n"
    "title RTH with WES7 & WEC8 (Debug-Image with KITL)\n"
    "    root(hd0, 0)\n"
    "    kernel/rth/rthx86\n"
    "    module/rth/Windows_WEC800_kitl.txt\n"
    "    module/rth/Debug/NK.bin\n"
    "    module/rth/wyncfg.json\n"
    "\n"
    "title RTH with WES7 & WEC8 (Debug-Image without KITL)\n"
    "    root(hd0, 0)\n"
    "    kernel/rth/rthx86\n"
    "    module/rth/Windows_WEC800.txt\n"
    "    module/rth/Debug/NK.bin\n"
    "    module/rth/wyncfg.json\n");

class BootMenuStep : public testing::Test {
 protected:
  void SetUp() override { PrepareTestDrive(); }

  // Runs the step and returns what it printed.
  std::string AddEntries(bool expectedResult) {
    testing::internal::CaptureStdout();
    EXPECT_EQ(AddBootMenuEntries(), expectedResult);
    return testing::internal::GetCapturedStdout();
  }

  std::string Menu() {
    std::string content;
    EXPECT_EQ(ReadWholeFile(BootMenuPath, &content), ReadOutcome::Read);
    return content;
  }
};

TEST_F(BootMenuStep, AppendsOnceAfterTheExistingBytes) {
  struct Case {
    std::string menu, expected;
  };
  // Existing bytes stay exactly as they were, odd line ends and 0x1A included.
  const std::string odd = std::string("title A\n\troot(hd0,0)\r\x1a\0 end", 27);
  const Case cases[] = {
      {"title A\r\n", "title A\r\n" + Entries},     // a blank line before the first title
      {"title A", "title A" + Entries},             // the first line end closes the last line
      {odd, odd + Entries},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(ReplaceWholeFile(BootMenuPath, c.menu), WriteOutcome::Written);
    EXPECT_EQ(AddEntries(true), "");
    EXPECT_EQ(Menu(), c.expected);
    EXPECT_EQ(AddEntries(true), "menu.lst has already been reverted.\n");
    EXPECT_EQ(Menu(), c.expected);
  }
}

TEST_F(BootMenuStep, MissingMenuIsCreatedWithTheEntries) {
  EXPECT_EQ(AddEntries(true), "");
  EXPECT_EQ(Menu(), Entries);
}

TEST_F(BootMenuStep, KitlFileNamedInACommentCountsAsDone) {
  const std::string menu = "# see Windows_WEC800_kitl.txt\r\ntitle A\r\n";
  ASSERT_EQ(ReplaceWholeFile(BootMenuPath, menu), WriteOutcome::Written);
  EXPECT_EQ(AddEntries(true), "menu.lst has already been reverted.\n");
  EXPECT_EQ(Menu(), menu);
}

TEST_F(BootMenuStep, UnreadableMenuIsReportedAndLeftAlone) {
  MakeDirectoryOnDrive(BootMenuPath + L"\\inside");  // exists, but is no file
  EXPECT_EQ(AddEntries(false), "Error: opening C:\\menu.lst\n");
  EXPECT_TRUE(ExistsOnDrive(BootMenuPath + L"\\inside"));
}

}  // namespace
