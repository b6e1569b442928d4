#include "text/line_rewriting.h"

#include "platform/platform.h"

Pattern CompilePattern(const char* text) {
  // __polynomial selects libstdc++'s breadth-first executor: the default one recurses once per
  // character and overflows the stack on long lines. It needs no back-references, and none of
  // our patterns has any.
  return Pattern{std::regex(text, std::regex_constants::ECMAScript |
                                      std::regex_constants::__polynomial)};
}

bool StartsWith(std::string_view line, std::string_view prefix) {
  return line.size() >= prefix.size() && line.compare(0, prefix.size(), prefix) == 0;
}

bool Contains(std::string_view text, std::string_view fixedText) {
  return text.find(fixedText) != std::string_view::npos;
}

bool MatchesWholeLine(const std::string& line, const Pattern& pattern) {
  return std::regex_match(line, pattern.compiled);
}

std::string ReplaceAll(const std::string& line, const Pattern& pattern,
                       const std::string& replacement) {
  return std::regex_replace(line, pattern.compiled, replacement);
}

std::string DropFirstChar(const std::string& line) { return line.substr(1); }

void AppendLine(OutputBuffer& output, std::string_view line) {
  output.append(line);
  output.append("\r\n", 2);
}

OutputBuffer RewriteText(const std::string& content, const LineHandler& handler) {
  OutputBuffer output;
  output.reserve(content.size() + content.size() / 16 + 1024);
  std::string line;
  size_t start = 0;
  while (start < content.size()) {
    size_t lineFeed = content.find('\n', start);
    size_t end = lineFeed == std::string::npos ? content.size() : lineFeed;
    size_t textEnd = end;
    if (lineFeed != std::string::npos && textEnd > start && content[textEnd - 1] == '\r') {
      --textEnd;
    }
    line.assign(content, start, textEnd - start);
    handler(line, output);
    AppendLine(output, line);
    start = lineFeed == std::string::npos ? content.size() : lineFeed + 1;
  }
  return output;
}

bool WriteWholeFileReporting(const std::wstring& path, const std::string& content) {
  switch (ReplaceWholeFile(path, content)) {
    case WriteOutcome::Written:
      return true;
    case WriteOutcome::OpenFailed:
      PrintWithPath(OpeningErrorMessage, path);
      return false;
    case WriteOutcome::WriteFailed:
      PrintWithPath(WritingErrorMessage, path);
      return false;
  }
  return false;
}

bool RewriteByLines(const std::wstring& inputPath, const std::wstring& outputPath,
                    const LineHandler& handler) {
  std::string content;
  if (ReadWholeFile(inputPath, &content) != ReadOutcome::Read) {
    // A read that stops part-way counts as no read: writing back what was read would cut the file.
    PrintWithPath(OpeningErrorMessage, inputPath);
    return false;
  }
  OutputBuffer output = RewriteText(content, handler);
  std::string().swap(content);  // the input is no longer needed; keep the peak memory low
  return WriteWholeFileReporting(outputPath, output);
}
