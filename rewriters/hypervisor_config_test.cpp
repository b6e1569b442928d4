#include "rewriters/hypervisor_config.h"

#include <gtest/gtest.h>

#include "driver/fixed_paths.h"
#include "platform/platform.h"
#include "platform/test_drive.h"
#include "text/test_text.h"

namespace {

const std::string Rule(80, '#');

std::string Convert(const std::string& input) {
  return RewriteText(input, MakeHypervisorLineHandler());
}

const std::string Block =
    "# Disable the INTEL 82574L (KITL debug card)\n"
    "[/PCI/5]\n"
    "    \"vendor_ID\" = uint32: 0x8086\n"
    "    \"device_ID\" = uint32 : 0x10D3\n"
    "    \"interrupt_mode\" = uint32 : 2  # use MSI to avoid IRQ conflict\n"
    "\n"
    "# Disable INTEL 82579 (on - board NIC)\n"
    "[/PCI/6]\n"
    "    \"vendor_ID\" = uint32: 0x8086\n"
    "    \"device_ID\" = uint32 : 0x1502\n"
    "\n";

TEST(HypervisorConversion, RealisticFile) {
  const std::string input = Rule + "\n[/OS/1]\n#    \"debug_com_port\" = uint32: 1\n" + Rule +
                            "\n[/PCI]\n[/PCI/0]\n    \"bus\" = uint32: 1\n    \"OS\" = uint32: 1\n"
                            "[/PCI/1]\n    \"device_ID\" = uint32: 0x3002  # std\n"
                            "[/PCI/2]\n    \"device_ID\" = uint32: 0x3005\n\n" +
                            Rule + "\n[/PCI/3]\n    \"device_ID\" = uint32:0x3005\n";
  const std::string expected =
      Rule + "\n[/OS/1]\n#    \"debug_com_port\" = uint32: 1\n" + Rule +
      "\n[/PCI]\n[/PCI/0]\n    \"bus\" = uint32: 2\n    \"OS\" = uint32: 1\n"
      "[/PCI/1]\n    \"device_ID\" = uint32: 0x3003 # use QM4410 on Eval-Board  # std\n"
      "[/PCI/2]\n    \"device_ID\" = uint32: 0x3006 # use QM4412 on Eval-Board\n\n" +
      Block + Rule +
      "\n[/PCI/3]\n    \"device_ID\" = uint32: 0x3006 # use QM4412 on Eval-Board\n";
  const std::string output = Convert(input);
  EXPECT_EQ(output, WithCrLf(expected));
  EXPECT_EQ(Convert(output), output);  // a second run changes nothing
}

TEST(HypervisorConversion, LineRules) {
  struct Case {
    const char* what;
    std::string input, expected;
  };
  const std::string r = Rule + "\n";
  const Case cases[] = {
      {"no PCI region: lines kept", "[/PCI/0]\n\"bus\" = uint32: 1\n" + r,
       "[/PCI/0]\n\"bus\" = uint32: 1\n" + r},
      {"bus without space, bus 12", "[/PCI]\n[/PCI/0]\n  \"bus\"=uint32:1\n \"bus\" = uint32: 12\n",
       "[/PCI]\n[/PCI/0]\n  \"bus\"=uint32: 2\n \"bus\" = uint32: 22\n"},
      {"tab-indented bus kept", "[/PCI]\n[/PCI/0]\n\t\"bus\" = uint32: 1\n",
       "[/PCI]\n[/PCI/0]\n\t\"bus\" = uint32: 1\n"},
      {"bus outside [/PCI/0] kept", "[/PCI]\n\"bus\" = uint32: 1\n[/PCI/1]\n\"bus\" = uint32: 1\n",
       "[/PCI]\n\"bus\" = uint32: 1\n[/PCI/1]\n\"bus\" = uint32: 1\n"},
      {"0x3005 in [/PCI/1] and 0x3002 in [/PCI/2] kept",
       "[/PCI]\n[/PCI/1]\n\"device_ID\" = uint32: 0x3005\n[/PCI/2]\n\"device_ID\" = uint32: 0x3002\n",
       "[/PCI]\n[/PCI/1]\n\"device_ID\" = uint32: 0x3005\n[/PCI/2]\n\"device_ID\" = uint32: 0x3002\n"},
      {"[/PCI/10] keeps the section",
       "[/PCI]\n[/PCI/0]\n[/PCI/10]\n\"bus\" = uint32: 1\n",
       "[/PCI]\n[/PCI/0]\n[/PCI/10]\n\"bus\" = uint32: 2\n"},
      {"[/PCI/50] counts as [/PCI/5]", "[/PCI]\n[/PCI/50]\n" + r, "[/PCI]\n[/PCI/50]\n" + r},
      {"[/PCI/5] before the region does not count", "[/PCI/5]\n[/PCI]\n" + r,
       "[/PCI/5]\n[/PCI]\n" + Block + r},
      {"rule line before the region gets no block", r + "[/PCI]\n", r + "[/PCI]\n"},
      {"79 # is no rule line, 80 # and text is", "[/PCI]\n" + Rule.substr(1) + "\n" + Rule + "x\n",
       "[/PCI]\n" + Rule.substr(1) + "\n" + Block + Rule + "x\n"},
      {"two rule lines, two blocks", "[/PCI]\n" + r + r, "[/PCI]\n" + Block + r + Block + r},
      {"[/PCI/5] between rule lines", "[/PCI]\n" + r + "[/PCI/5]\n" + r,
       "[/PCI]\n" + Block + r + "[/PCI/5]\n" + r},
      {"second [/PCI] line changes nothing",
       "[/PCI]\n[/PCI/0]\n[/PCI]\n\"bus\" = uint32: 1\n",
       "[/PCI]\n[/PCI/0]\n[/PCI]\n\"bus\" = uint32: 2\n"},
      {"CR left in a bus line: not selected", "[/PCI]\n[/PCI/0]\n\"bus\" = uint32: 1\r\r\n",
       "[/PCI]\n[/PCI/0]\n\"bus\" = uint32: 1\r\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Convert(c.input), WithCrLf(c.expected)) << c.what;
  }
}

TEST(HypervisorStep, MissingFileIsReportedAndNothingIsWritten) {
  PrepareTestDrive();
  testing::internal::CaptureStdout();
  EXPECT_FALSE(ConvertHypervisorConfig());
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "Error: opening C:\\rth\\Windows_WEC800.txt\n");
  EXPECT_FALSE(ExistsOnDrive(HypervisorConfigPath));
}

TEST(HypervisorStep, RewritesTheFileInPlace) {
  PrepareTestDrive();
  ASSERT_EQ(ReplaceWholeFile(HypervisorConfigPath, "[/PCI]\n[/PCI/0]\n\"bus\" = uint32: 1"),
            WriteOutcome::Written);
  EXPECT_TRUE(ConvertHypervisorConfig());
  std::string content;
  ASSERT_EQ(ReadWholeFile(HypervisorConfigPath, &content), ReadOutcome::Read);
  EXPECT_EQ(content, "[/PCI]\r\n[/PCI/0]\r\n\"bus\" = uint32: 2\r\n");
}

}  // namespace
