#include "rewriters/kitl_config.h"

#include <gtest/gtest.h>

#include "driver/fixed_paths.h"
#include "platform/platform.h"
#include "platform/test_drive.h"
#include "text/test_text.h"

namespace {

std::string Derive(const std::string& input) { return RewriteText(input, MakeKitlLineHandler()); }

const std::string Transport = std::string(
                                  "    \"KITL_transport_type\" = \"KTS_ETHER\"\n"
                                  "    \"KITL_adapter_type\" = uint32:17\n"
                                  "    \"KITL_IP\" = \"") +
                              KitlIpAddress + "\"\n\n";
const std::string OsLine = "    \"OS\" = uint32: 1 # enable for KITL configuration\n";

TEST(KitlDerivation, RealisticFile) {
  const std::string input =
      "[/OS/0]\n#    \"debug_com_port\" = uint32: 1\n\n"
      "[/OS/1]\n    \"name\" = \"WEC8\"\n#    \"debug_com_port\" = uint32: 1\n"
      "#    \"debug_baud_rate\" = uint32: 115200\n#    \"debug_level\" = uint32: 2\n\n"
      "[/IRQ]\n    \"IRQ_04\" = uint32: 1\n#    \"IRQ_03\" = uint32: 1  # COM2\n\n"
      "[/PCI]\n[/PCI/5]\n    \"vendor_ID\" = uint32: 0x8086\n[/PCI/6]\n    \"vendor_ID\" = uint32: 0x8086\n";
  const std::string expected =
      "[/OS/0]\n#    \"debug_com_port\" = uint32: 1\n\n"
      "[/OS/1]\n    \"name\" = \"WEC8\"\n" + Transport + "    \"debug_com_port\" = uint32: 1\n"
      "    \"debug_baud_rate\" = uint32: 115200\n#    \"debug_level\" = uint32: 2\n\n"
      "[/IRQ]\n    \"IRQ_04\" = uint32: 1\n    \"IRQ_03\" = uint32: 1  # COM2\n\n"
      "[/PCI]\n[/PCI/5]\n" + OsLine +
      "    \"vendor_ID\" = uint32: 0x8086\n[/PCI/6]\n    \"vendor_ID\" = uint32: 0x8086\n";
  EXPECT_EQ(Derive(input), WithCrLf(expected));
}

TEST(KitlDerivation, LineRules) {
  struct Case {
    const char* what;
    std::string input, expected;
  };
  const std::string com = "#    \"debug_com_port\" = uint32: 1\n";
  const std::string comOn = "    \"debug_com_port\" = uint32: 1\n";
  const Case cases[] = {
      {"first debug setting not the COM port: uncommented, OS 1 ends there",
       "[/OS/1]\n#\"debug_level\" = 2\n" + com, "[/OS/1]\n\"debug_level\" = 2\n" + com},
      {"two COM port settings, each with the transport lines",
       "[/OS/1]\n" + com + com + "#\"debug_x\"=1\n" + com,
       "[/OS/1]\n" + Transport + comOn + Transport + comOn + "\"debug_x\"=1\n" + com},
      {"one leading space opens OS 1", " [/OS/1]\n" + com, " [/OS/1]\n" + Transport + comOn},
      {"two spaces, a tab or OS 10 do not", "  [/OS/1]\n\t[/OS/1]\n[/OS/10]\n" + com,
       "  [/OS/1]\n\t[/OS/1]\n[/OS/10]\n" + com},
      {"OS 1 without debug settings lasts into the next OS section",
       "[/OS/1]\n\"x\" = 1\n[/OS/2]\n" + com, "[/OS/1]\n\"x\" = 1\n[/OS/2]\n" + Transport + comOn},
      {"names with a digit or upper case, or spaces before #, stay commented",
       "[/OS/1]\n#\"debug_2\" = 1\n#\"debug_X\" = 1\n  #\"debug_x\" = 1\n" + com,
       "[/OS/1]\n#\"debug_2\" = 1\n#\"debug_X\" = 1\n  #\"debug_x\" = 1\n" + Transport + comOn},
      {"OS line in front of whatever follows [/PCI/5]", "[/PCI/5]\n[/PCI/6]\n[/PCI/5]\n\n",
       "[/PCI/5]\n" + OsLine + "[/PCI/6]\n[/PCI/5]\n" + OsLine + "\n"},
      {"a tracked header right after [/PCI/5] gets no OS line", "[/PCI/5]\n[/IRQ]\n",
       "[/PCI/5]\n[/IRQ]\n"},
      {"only the first commented IRQ_03", "[/IRQ]\n#\"IRQ_03\" = 1\n#\"IRQ_03\" = 1\n",
       "[/IRQ]\n\"IRQ_03\" = 1\n#\"IRQ_03\" = 1\n"},
      {"IRQ lasts into later sections", "[/IRQ]\n[/SHM]\n# \"IRQ_03\" = 1\n",
       "[/IRQ]\n[/SHM]\n \"IRQ_03\" = 1\n"},
      {"unless OS 1 or [/PCI/5] comes between", "[/IRQ]\n[/OS/1]\n#\"IRQ_03\" = 1\n",
       "[/IRQ]\n[/OS/1]\n#\"IRQ_03\" = 1\n"},
      {"an unquoted IRQ_03 stays commented", "[/IRQ]\n#IRQ_03 = 1\n", "[/IRQ]\n#IRQ_03 = 1\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Derive(c.input), WithCrLf(c.expected)) << c.what;
  }
}

class KitlStep : public testing::Test {
 protected:
  void SetUp() override { PrepareTestDrive(); }
  std::string KitlFile() {
    std::string content;
    EXPECT_EQ(ReadWholeFile(KitlConfigPath, &content), ReadOutcome::Read);
    return content;
  }
};

TEST_F(KitlStep, ReplacesTheWholeKitlFileEveryRun) {
  ASSERT_EQ(ReplaceWholeFile(HypervisorConfigPath, "[/PCI/5]\r\n\"a\" = 1\r\n"),
            WriteOutcome::Written);
  ASSERT_EQ(ReplaceWholeFile(KitlConfigPath, "stale content of an earlier run\r\n"),
            WriteOutcome::Written);
  EXPECT_TRUE(CreateKitlConfig());
  EXPECT_TRUE(CreateKitlConfig());
  EXPECT_EQ(KitlFile(), WithCrLf("[/PCI/5]\n" + OsLine + "\"a\" = 1\n"));
}

TEST_F(KitlStep, FailuresAreReportedAndTouchNothing) {
  testing::internal::CaptureStdout();
  EXPECT_FALSE(CreateKitlConfig());
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "Error: opening C:\\rth\\Windows_WEC800.txt\n");
  EXPECT_FALSE(ExistsOnDrive(KitlConfigPath));

  ASSERT_EQ(ReplaceWholeFile(HypervisorConfigPath, "x\r\n"), WriteOutcome::Written);
  MakeDirectoryOnDrive(KitlConfigPath);  // the output cannot be created
  testing::internal::CaptureStdout();
  EXPECT_FALSE(CreateKitlConfig());
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "Error: opening C:\\rth\\Windows_WEC800_kitl.txt\n");
  std::string content;
  EXPECT_EQ(ReadWholeFile(KitlConfigPath, &content), ReadOutcome::Failed);  // still a folder
}

}  // namespace
