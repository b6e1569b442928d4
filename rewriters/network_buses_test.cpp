#include "rewriters/network_buses.h"

#include <gtest/gtest.h>

#include "driver/fixed_paths.h"
#include "platform/platform.h"
#include "platform/test_drive.h"
#include "text/test_text.h"

namespace {

std::string Convert(const std::string& input) {
  return RewriteText(input, MakeNetworkBusesLineHandler());
}

TEST(NetworkBuses, RealisticFile) {
  const std::string input =
      "{\n"
      "    \"Serial\": { \"Bus\": [0] },\n"
      "    \"Network\": {\n"
      "        \"1\": {\n"
      "            \"Name\": \"ETH1\",\n"
      "            \"Bus\": [0, 1],\n"
      "            \"Device\": 0\n"
      "        },\n"
      "        \"2\": {\n"
      "            \"Bus\": [3],\r\r\n"  // a CR left in the line: not selected
      "            \"Bus\": [3]\n"
      "        },\n"
      "        \"Debug\": false\n"
      "    },\n"
      "    \"Storage\": {\n"
      "        \"1\": {\n"
      "            \"Bus\": [5]\n"
      "        }\n"
      "    }\n"
      "}";
  const std::string expected =
      "{\n"
      "    \"Serial\": { \"Bus\": [0] },\n"
      "    \"Network\": {\n"
      "        \"1\": {\n"
      "            \"Name\": \"ETH1\",\n"
      "            \"Bus\": [2],\n"
      "            \"Device\": 0\n"
      "        },\n"
      "        \"2\": {\n"
      "            \"Bus\": [3],\r\n"
      "            \"Bus\": [4]\n"
      "        },\n"
      "        \"Debug\": false\n"
      "    },\n"
      "    \"Storage\": {\n"
      "        \"1\": {\n"
      "            \"Bus\": [5]\n"
      "        }\n"
      "    }\n"
      "}\n";
  const std::string output = Convert(input);
  EXPECT_EQ(output, WithCrLf(expected));
  EXPECT_EQ(Convert(output), output);  // a second run changes nothing
}

TEST(NetworkBuses, LineRules) {
  struct Case {
    const char* what;
    std::string input, expected;
  };
  const std::string open = "\"Network\": {\n";
  const Case cases[] = {
      {"no Network key: lines kept", "\"1\": {\n\"Bus\": [0]\n", "\"1\": {\n\"Bus\": [0]\n"},
      {"empty, signed or lettered lists kept, every plain list replaced",
       open + "\"1\": {\n\"Bus\": [], [-1], [a], [7], [[1]]\n",
       open + "\"1\": {\n\"Bus\": [], [-1], [a], [2], [[2]]\n"},
      {"tab-indented Bus, Bus outside the entries, lowercase bus: kept",
       open + "\"1\": {\n\t\"Bus\": [0]\n}\n\"Bus\": [0]\n\"2\": {\n\"bus\": [0]\n",
       open + "\"1\": {\n\t\"Bus\": [0]\n}\n\"Bus\": [0]\n\"2\": {\n\"bus\": [0]\n"},
      {"a key line's own list stays; a one-line entry keeps its flag",
       open + "\"2\": { \"Bus\": [0] },\n\"Bus\": [1]\n",
       open + "\"2\": { \"Bus\": [0] },\n\"Bus\": [4]\n"},
      {"entry 1 wins over entry 2", open + "\"2\": {\n\"1\": {\n\"Bus\": [0]\n",
       open + "\"2\": {\n\"1\": {\n\"Bus\": [2]\n"},
      {"the region's opening line is examined for nothing else",
       "\"Network\": { \"1\": {\n\"Bus\": [0]\n", "\"Network\": { \"1\": {\n\"Bus\": [0]\n"},
      {"keys with a space before the colon count for nothing",
       "\"Network\" : {\n\"1\": {\n\"Bus\": [0]\n" + open + "\"1\" : {\n\"Bus\": [0]\n",
       "\"Network\" : {\n\"1\": {\n\"Bus\": [0]\n" + open + "\"1\" : {\n\"Bus\": [0]\n"},
      {"the Debug line closes the region after itself; a later Network key reopens it",
       open + "\"1\": {\n\"Debug\": 0, \"Bus\": [0]\n\"Bus\": [0]\n" + open + "\"Bus\": [0]\n",
       open + "\"1\": {\n\"Debug\": 0, \"Bus\": [0]\n\"Bus\": [0]\n" + open + "\"Bus\": [2]\n"},
      {"a Debug key with a space before its colon closes nothing",
       open + "\"2\": {\n\"Debug\" : 0\n\"Bus\": [0]\n",
       open + "\"2\": {\n\"Debug\" : 0\n\"Bus\": [4]\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Convert(c.input), WithCrLf(c.expected)) << c.what;
  }
}

TEST(NetworkBusesStep, MissingFileIsReported) {
  PrepareTestDrive();
  testing::internal::CaptureStdout();
  EXPECT_FALSE(ConvertNetworkBuses());
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Error: opening C:\\rth\\WynCfg.json\n");
  EXPECT_FALSE(ExistsOnDrive(PlatformConfigPath));
}

}  // namespace
