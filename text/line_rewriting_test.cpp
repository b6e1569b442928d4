#include "text/line_rewriting.h"

#include <gtest/gtest.h>

#include <random>
#include <regex>
#include <vector>

#include "platform/platform.h"
#include "platform/test_drive.h"
#include "text/test_text.h"

namespace {

const LineHandler KeepLines = [](std::string&, OutputBuffer&) {};

TEST(RewriteText, LineEnds) {
  struct Case {
    std::string input, output;
  };
  const Case cases[] = {
      {"", ""},
      {"a", "a\r\n"},                       // a missing final line end is added
      {"a\n", "a\r\n"},                     // no empty line is added after a final LF
      {"a\r\nb\r\n", "a\r\nb\r\n"},         //
      {"a\n\nb", "a\r\n\r\nb\r\n"},         // an empty line stays
      {"\n", "\r\n"},                       //
      {"a\rb\n", "a\rb\r\n"},               // a lone CR is text
      {"a\r\r\n", "a\r\r\n"},               // only the CR directly before LF is a line end
      {"a\r", "a\r\r\n"},                   // a CR at the very end is text
      {"\r\n\r", "\r\n\r\r\n"},             //
      {std::string("a\x1a" "b\0c\n", 6), std::string("a\x1a" "b\0c\r\n", 7)},  // binary safe
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RewriteText(c.input, KeepLines), c.output) << testing::PrintToString(c.input);
  }
}

TEST(RewriteText, HandlerSeesLinesWithoutTerminatorAndInsertsInFront) {
  std::vector<std::string> seen;
  LineHandler handler = [&seen](std::string& line, OutputBuffer& output) {
    seen.push_back(line);
    if (line == "b") AppendLine(output, "inserted");
    line += "!";
  };
  EXPECT_EQ(RewriteText("a\r\nb\nc\r", handler), "a!\r\ninserted\r\nb!\r\nc\r!\r\n");
  EXPECT_EQ(seen, (std::vector<std::string>{"a", "b", "c\r"}));
}

TEST(LineTests, StartsWithAndContains) {
  EXPECT_FALSE(StartsWith("[/PCI", "[/PCI]"));  // shorter than the prefix
  EXPECT_TRUE(StartsWith("[/PCI] # comment", "[/PCI]"));
  EXPECT_FALSE(StartsWith(" [/PCI]", "[/PCI]"));
  EXPECT_TRUE(Contains("title x\nmodule/rth/Windows_WEC800_kitl.txt", "Windows_WEC800_kitl.txt"));
  EXPECT_FALSE(Contains("windows_wec800_kitl.txt", "Windows_WEC800_kitl.txt"));
  EXPECT_TRUE(Contains("anything", ""));
}

TEST(LineTests, MatchesWholeLine) {
  const Pattern bus = CompilePattern("[ ]*\"bus\"[ ]*=.*");
  struct Case {
    std::string line;
    bool matches;
  };
  const Case cases[] = {
      {"    \"bus\" = uint32: 1", true},
      {"\"bus\"=", true},
      {"\t\"bus\" = uint32: 1", false},      // only spaces may indent
      {"  x\"bus\" = uint32: 1", false},     // nothing else before the quote
      {"    \"bus\" = uint32: 1\r", false},  // "." takes no CR
      {"    \"bus\" = uint32:\n1", false},   // nor LF
      {"    \"Bus\" = uint32: 1", false},    // case-sensitive
      {"    \"bus\" = \x80\xff\x1a", true},  // any other byte is a character
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MatchesWholeLine(c.line, bus), c.matches) << testing::PrintToString(c.line);
  }
  EXPECT_FALSE(MatchesWholeLine("xx\"debug_a\" = 1", CompilePattern("#[ ]*\"debug_[a-z_]+\"[ ]*=.*")));
}

TEST(LineEdits, ReplaceAllAndDropFirstChar) {
  const Pattern value = CompilePattern("uint32:[ ]*1");
  const Pattern list = CompilePattern("\\[[0-9, ]+\\]");
  EXPECT_EQ(ReplaceAll("  \"bus\" = uint32: 12", value, "uint32: 2"), "  \"bus\" = uint32: 22");
  EXPECT_EQ(ReplaceAll("  \"bus\" = uint32:1", value, "uint32: 2"), "  \"bus\" = uint32: 2");
  EXPECT_EQ(ReplaceAll("\"Bus\": [0, 1], x, [3]", list, "[2]"), "\"Bus\": [2], x, [2]");
  EXPECT_EQ(ReplaceAll("\"Bus\": [[1]]", list, "[2]"), "\"Bus\": [[2]]");
  EXPECT_EQ(ReplaceAll("\"Bus\": [], [-1], [a]", list, "[2]"), "\"Bus\": [], [-1], [a]");
  EXPECT_EQ(ReplaceAll("x [1]", list, "a\\b"), "x a\\b");  // a backslash is literal
  EXPECT_EQ(DropFirstChar("#    \"debug_x\" = 1"), "    \"debug_x\" = 1");
}

// Lines far longer than any stack: the default executor recurses once per character.
TEST(LineTests, LongLinesDoNotCrash) {
  const size_t length = 4u << 20;
  std::string bus = "    \"bus\" = " + std::string(length, 'x');
  EXPECT_TRUE(MatchesWholeLine(bus, CompilePattern("[ ]*\"bus\"[ ]*=.*")));
  bus.back() = '\r';
  EXPECT_FALSE(MatchesWholeLine(bus, CompilePattern("[ ]*\"bus\"[ ]*=.*")));

  std::string list = "\"Bus\": [" + std::string(length, '1') + "] [" + std::string(length, ' ');
  std::string replaced = ReplaceAll(list, CompilePattern("\\[[0-9, ]+\\]"), "[2]");
  EXPECT_EQ(replaced, "\"Bus\": [2] [" + std::string(length, ' '));
}

// Our matcher must agree with std::regex's default executor; short random lines over the
// alphabet that matters to the patterns keep that executor's recursion shallow.
TEST(LineTests, AgreesWithDefaultExecutor) {
  const std::string pieces[] = {" ", "\"", "=", "#", "[", "]", ",", "1", "2", "0x3002",
                                "0x3005", "uint32:", "bus", "Bus", "device_ID", "IRQ_03",
                                "debug_", "a", "_", "Z", "\r", "\n", "\t", ":", "b", ".",
                                "x", "y", "\x80", "\xff"};
  const char* replacements[] = {"<$&>", "$$|$`|$'|$0$1$", "x$"};
  std::mt19937 random(20261211);
  for (const char* text : MatcherTestPatterns) {
    const Pattern linear = CompilePattern(text);
    const std::regex reference(text, std::regex_constants::ECMAScript);
    for (int i = 0; i < 3000; ++i) {
      std::string line;
      int count = static_cast<int>(random() % 12);
      for (int k = 0; k < count; ++k) line += pieces[random() % std::size(pieces)];
      if (random() % 3 == 0) line = text[0] == '#' ? "#" + line : " " + line;
      ASSERT_EQ(MatchesWholeLine(line, linear), std::regex_match(line, reference))
          << text << " on " << testing::PrintToString(line);
      const std::string replacement = replacements[i % std::size(replacements)];
      const std::string expected = std::regex_replace(line, reference, replacement);
      ASSERT_EQ(ReplaceAll(line, linear, replacement), expected)
          << text << " on " << testing::PrintToString(line);
      std::string inPlace = line;
      ReplaceAllInPlace(inPlace, linear, replacement);
      ASSERT_EQ(inPlace, expected) << text << " on " << testing::PrintToString(line);
    }
  }
}

class RewriteByLinesTest : public testing::Test {
 protected:
  void SetUp() override { PrepareTestDrive(); }
};

const std::wstring InputPath = L"C:\\rth\\input.txt";
const std::wstring OutputPath = L"C:\\rth\\output.txt";

TEST_F(RewriteByLinesTest, MissingInputTouchesNothing) {
  testing::internal::CaptureStdout();
  EXPECT_FALSE(RewriteByLines(InputPath, OutputPath, KeepLines));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Error: opening C:\\rth\\input.txt\n");
  EXPECT_FALSE(ExistsOnDrive(OutputPath));
}

TEST_F(RewriteByLinesTest, OutputThatCannotBeCreatedIsReported) {
  ASSERT_EQ(ReplaceWholeFile(InputPath, "a\n"), WriteOutcome::Written);
  const std::wstring inMissingFolder = L"C:\\missing\\output.txt";
  MakeDirectoryOnDrive(OutputPath);  // the output path is a folder
  for (const std::wstring& output : {inMissingFolder, OutputPath}) {
    testing::internal::CaptureStdout();
    EXPECT_FALSE(RewriteByLines(InputPath, output, KeepLines));
    std::string message(output.begin(), output.end());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Error: opening " + message + "\n");
  }
  EXPECT_FALSE(ExistsOnDrive(L"C:\\missing"));
  std::string content;
  EXPECT_EQ(ReadWholeFile(OutputPath, &content), ReadOutcome::Failed);  // still a folder
}

// The file is read in pieces: lines and CR LF pairs that straddle a piece boundary come out
// as from a text read whole.
TEST_F(RewriteByLinesTest, PiecesJoinAsOneText) {
  std::string content;
  for (size_t length : {262143u, 262142u, 1u, 700000u, 0u, 262144u}) {
    content += std::string(length, 'a') + "\r\n" + std::string(3, 'b') + "\r\r\n";
  }
  content += std::string(300000, 'c') + "\r";  // no final LF: its CR is text
  std::vector<size_t> lengths;
  LineHandler handler = [&lengths](std::string& line, OutputBuffer& output) {
    lengths.push_back(line.size());
    if (line.size() % 2 == 1) AppendLine(output, "odd");
  };
  const std::string expected = RewriteText(content, handler);
  const std::vector<size_t> expectedLengths = lengths;
  lengths.clear();
  ASSERT_EQ(ReplaceWholeFile(InputPath, content), WriteOutcome::Written);
  EXPECT_TRUE(RewriteByLines(InputPath, OutputPath, handler));
  std::string output;
  ASSERT_EQ(ReadWholeFile(OutputPath, &output), ReadOutcome::Read);
  EXPECT_TRUE(output == expected);
  EXPECT_EQ(lengths, expectedLengths);
  EXPECT_EQ(expectedLengths.front(), 262143u);
  EXPECT_EQ(expectedLengths.back(), 300001u);
}

TEST_F(RewriteByLinesTest, RewritesInPlace) {
  ASSERT_EQ(ReplaceWholeFile(InputPath, "a\nb"), WriteOutcome::Written);
  LineHandler upper = [](std::string& line, OutputBuffer&) { line = "<" + line + ">"; };
  EXPECT_TRUE(RewriteByLines(InputPath, InputPath, upper));
  std::string content;
  ASSERT_EQ(ReadWholeFile(InputPath, &content), ReadOutcome::Read);
  EXPECT_EQ(content, "<a>\r\n<b>\r\n");
}

}  // namespace
