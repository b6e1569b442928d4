#include "text/line_rewriting.h"

#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/platform.h"

namespace {

constexpr size_t NoMatch = std::string::npos;

bool IsPunctuation(unsigned char c) {
  return (c >= '!' && c <= '/') || (c >= ':' && c <= '@') || (c >= '[' && c <= '`') ||
         (c >= '{' && c <= '~');
}

// Reads one member of a bracket expression at `*at`: a byte, or an escaped punctuation
// character. False for anything our matcher does not take.
bool ReadBracketByte(const unsigned char* text, size_t* at, unsigned char* byte) {
  unsigned char c = text[*at];
  if (c == '\\') {
    if (!IsPunctuation(text[*at + 1]) || text[*at + 1] == '-') return false;
    *byte = text[*at + 1];
    *at += 2;
    return true;
  }
  if (c == 0 || c == '[' || c == ']' || c == '-') return false;
  *byte = c;
  *at += 1;
  return true;
}

// Reads the bracket expression that starts at `*at` (just after its "[") into `step`.
bool ReadBracket(const unsigned char* text, size_t* at, PatternStep* step) {
  bool negated = text[*at] == '^';
  if (negated) ++*at;
  if (text[*at] == ']') return false;  // "[]" and "[^]"
  while (text[*at] != ']') {
    unsigned char first = 0;
    if (!ReadBracketByte(text, at, &first)) return false;
    unsigned char last = first;
    if (text[*at] == '-' && text[*at + 1] != ']') {
      ++*at;
      if (!ReadBracketByte(text, at, &last)) return false;
      // Ranges compare char values, which are signed here: keep to ASCII.
      if (first > last || last >= 0x80) return false;
    }
    for (unsigned c = first; c <= last; ++c) step->takes[c] = true;
  }
  ++*at;
  if (negated) step->takes.flip();
  return true;
}

// Translates `text` into steps for our own matcher; false when it is not of the shape that
// Pattern describes.
bool CompileSteps(const char* text, std::vector<PatternStep>* steps) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text);
  steps->reserve(std::strlen(text));
  size_t at = 0;
  while (bytes[at] != 0) {
    unsigned char c = bytes[at];
    if (c == '*' || c == '+') {
      if (steps->empty() || steps->back().repeated) return false;
      steps->back().repeated = true;
      steps->back().optional = c == '*';
      ++at;
      continue;
    }
    PatternStep step;
    if (c == '.') {
      step.takes.set();
      step.takes['\n'] = step.takes['\r'] = false;
      ++at;
    } else if (c == '[') {
      ++at;
      if (!ReadBracket(bytes, &at, &step)) return false;
    } else if (c == '\\') {
      if (!IsPunctuation(bytes[at + 1])) return false;
      step.takes[bytes[at + 1]] = true;
      at += 2;
    } else if (c == '?' || c == '{' || c == '}' || c == '(' || c == ')' || c == '|' ||
               c == '^' || c == '$' || c == ']') {
      return false;
    } else {
      step.takes[c] = true;
      ++at;
    }
    steps->push_back(step);
  }
  bool takesSomething = false;
  for (size_t i = 0; i < steps->size(); ++i) {
    const PatternStep& step = (*steps)[i];
    takesSomething = takesSomething || !step.optional;
    if (!step.repeated || i + 1 == steps->size()) continue;
    const PatternStep& next = (*steps)[i + 1];
    if (next.optional) return false;
    if ((step.takes & next.takes).any()) return false;
  }
  return takesSomething;  // a pattern that can match nothing at all is not taken
}

// The end of the match of `steps` that starts at `at`, or NoMatch; with `whole`, only a match
// that ends at `end` counts. `firstRunEnd` gets where a repeated first step stopped.
size_t MatchAt(const std::vector<PatternStep>& steps, const unsigned char* text, size_t at,
               size_t end, bool whole, size_t* firstRunEnd) {
  for (size_t i = 0; i < steps.size(); ++i) {
    const PatternStep& step = steps[i];
    if (!step.repeated) {
      if (at == end || !step.takes[text[at]]) return NoMatch;
      ++at;
      continue;
    }
    // Greedy and final: a repetition followed by more steps cannot stop earlier (see Pattern),
    // and a last one that stops earlier neither ends the line nor comes first.
    const size_t start = at;
    while (at < end && step.takes[text[at]]) ++at;
    if (i == 0) *firstRunEnd = at;
    if (at == start && !step.optional) return NoMatch;
  }
  return (!whole || at == end) ? at : NoMatch;
}

// The leftmost match in `text` from `from` on, as ECMAScript finds it: [*start, return value),
// or NoMatch.
size_t FindMatch(const std::vector<PatternStep>& steps, std::string_view text, size_t from,
                 size_t* start) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  const PatternStep& first = steps.front();
  for (size_t at = from; at < text.size();) {
    if (!first.optional) {
      while (at < text.size() && !first.takes[bytes[at]]) ++at;
      if (at == text.size()) return NoMatch;
    }
    size_t firstRunEnd = at;
    size_t end = MatchAt(steps, bytes, at, text.size(), false, &firstRunEnd);
    if (end != NoMatch) {
      *start = at;
      return end;
    }
    // A match tried from inside the first step's run would go on from the same place as this
    // one and fail the same way.
    at = first.repeated && firstRunEnd > at + 1 ? firstRunEnd : at + 1;
  }
  return NoMatch;
}

// Appends `replacement` for the match [start, end) of `line` whose search began at `from`, with
// "$" read as ECMAScript (and the standard library) reads it in a replacement.
void AppendReplacement(std::string& out, std::string_view replacement, std::string_view line,
                       size_t from, size_t start, size_t end) {
  size_t at = 0;
  for (;;) {
    size_t dollar = replacement.find('$', at);
    if (dollar == std::string_view::npos) break;
    out.append(replacement, at, dollar - at);
    at = dollar + 1;
    if (at == replacement.size()) {
      out += '$';
      break;
    }
    char c = replacement[at];
    if (c == '$') {
      out += '$';
      ++at;
    } else if (c == '&') {
      out.append(line, start, end - start);
      ++at;
    } else if (c == '`') {
      out.append(line, from, start - from);
      ++at;
    } else if (c == '\'') {
      out.append(line, end, line.size() - end);
      ++at;
    } else if (c >= '0' && c <= '9') {
      // A group number of one or two digits; our patterns have no groups, so only $0 and $00
      // (the match) produce text.
      int number = c - '0';
      ++at;
      if (at < replacement.size() && replacement[at] >= '0' && replacement[at] <= '9') {
        number = number * 10 + (replacement[at] - '0');
        ++at;
      }
      if (number == 0) out.append(line, start, end - start);
    } else {
      out += '$';
    }
  }
  out.append(replacement, at, replacement.size() - at);
}

// Writes `line` with every match replaced to `result` and returns true; returns false, leaving
// `result` alone, when there is no match.
bool ReplaceMatches(const std::vector<PatternStep>& steps, std::string_view line,
                    std::string_view replacement, std::string* result) {
  size_t start = 0;
  size_t end = FindMatch(steps, line, 0, &start);
  if (end == NoMatch) return false;
  const bool plain = replacement.find('$') == std::string_view::npos;
  result->clear();
  if (plain) {
    // The exact size, counted first: growing a long line's copy by doubling would hold it twice.
    size_t size = line.size();
    for (size_t at = end, matchStart = start; at != NoMatch;
         at = FindMatch(steps, line, at, &matchStart)) {
      size = size - (at - matchStart) + replacement.size();
    }
    result->reserve(size);
  } else {
    result->reserve(line.size() + replacement.size());
  }
  size_t from = 0;
  while (end != NoMatch) {
    result->append(line, from, start - from);
    if (plain) {
      result->append(replacement);
    } else {
      AppendReplacement(*result, replacement, line, from, start, end);
    }
    from = end;
    end = FindMatch(steps, line, from, &start);
  }
  result->append(line, from, line.size() - from);
  return true;
}

}  // namespace

Pattern CompilePattern(const char* text) {
  Pattern pattern;
  // The patterns are fixed texts of the program: one of another shape is a programming error,
  // which the first test of the step that compiles it catches.
  if (!CompileSteps(text, &pattern.steps)) std::abort();
  return pattern;
}

bool StartsWith(std::string_view line, std::string_view prefix) {
  if (prefix.empty()) return true;
  // The first byte settles most lines without a call: steps test every line for headers.
  return line.size() >= prefix.size() && line[0] == prefix[0] &&
         std::memcmp(line.data(), prefix.data(), prefix.size()) == 0;
}

bool Contains(std::string_view text, std::string_view fixedText) {
  return text.find(fixedText) != std::string_view::npos;
}

bool MatchesWholeLine(const std::string& line, const Pattern& pattern) {
  size_t firstRunEnd = 0;
  return MatchAt(pattern.steps, reinterpret_cast<const unsigned char*>(line.data()), 0,
                 line.size(), true, &firstRunEnd) != NoMatch;
}

std::string ReplaceAll(const std::string& line, const Pattern& pattern,
                       const std::string& replacement) {
  std::string result;
  if (!ReplaceMatches(pattern.steps, line, replacement, &result)) return line;
  return result;
}

void ReplaceAllInPlace(std::string& line, const Pattern& pattern, const std::string& replacement) {
  std::string result;
  if (ReplaceMatches(pattern.steps, line, replacement, &result)) line.swap(result);
}

std::string DropFirstChar(const std::string& line) { return line.substr(1); }

void AppendLine(OutputBuffer& output, std::string_view line) {
  output.append(line);
  output.append("\r\n", 2);
}

namespace {

// The bytes of a text arrive in pieces; a line may span several of them.
struct LineSplitter {
  std::string pending;  // the current line's bytes so far, its line feed not yet seen
  std::string line;     // reused for each line handed to the handler
};

void HandLine(LineSplitter& splitter, const LineHandler& handler, OutputBuffer& output) {
  handler(splitter.line, output);
  AppendLine(output, splitter.line);
}

// Hands every line that `piece` completes to `handler`; keeps the unfinished rest.
void FeedLines(LineSplitter& splitter, std::string_view piece, const LineHandler& handler,
               OutputBuffer& output) {
  size_t start = 0;
  for (size_t lineFeed; (lineFeed = piece.find('\n', start)) != std::string_view::npos;
       start = lineFeed + 1) {
    if (splitter.pending.empty()) {
      splitter.line.assign(piece.data() + start, lineFeed - start);
    } else {
      splitter.pending.append(piece.data() + start, lineFeed - start);
      splitter.line.swap(splitter.pending);
      splitter.pending.clear();
    }
    // A CR directly before the LF belongs to the line end.
    if (!splitter.line.empty() && splitter.line.back() == '\r') splitter.line.pop_back();
    HandLine(splitter, handler, output);
  }
  splitter.pending.append(piece.data() + start, piece.size() - start);
}

// Hands the last line, which has no line feed (any CR at its end is text), if there is one.
void FinishLines(LineSplitter& splitter, const LineHandler& handler, OutputBuffer& output) {
  if (splitter.pending.empty()) return;
  splitter.line.swap(splitter.pending);
  splitter.pending.clear();
  HandLine(splitter, handler, output);
}

// Pieces read and written at a time: large enough that a system call costs little per byte,
// small enough to stay in the caches. Only a longer line needs more memory.
constexpr size_t PieceSize = 1 << 18;

}  // namespace

OutputBuffer RewriteText(const std::string& content, const LineHandler& handler) {
  OutputBuffer output;
  output.reserve(content.size() + content.size() / 16 + 64);
  LineSplitter splitter;
  FeedLines(splitter, content, handler, output);
  FinishLines(splitter, handler, output);
  return output;
}

namespace {

// Prints the one-line reason for a failed replacement of `path`; true when it succeeded.
bool ReportWriteOutcome(WriteOutcome outcome, const std::wstring& path) {
  switch (outcome) {
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

}  // namespace

bool WriteWholeFileReporting(const std::wstring& path, const std::string& content) {
  return ReportWriteOutcome(ReplaceWholeFile(path, content), path);
}

bool RewriteByLines(const std::wstring& inputPath, const std::wstring& outputPath,
                    const LineHandler& handler) {
  ReadOutcome readOutcome;
  InputFile* input = OpenInputFile(inputPath, &readOutcome);
  if (!input) {
    PrintWithPath(OpeningErrorMessage, inputPath);
    return false;
  }
  // The new text goes to a temporary file beside the output and takes the output's place only
  // once complete, so the input may be the output itself.
  FileReplacement* replacement = BeginFileReplacement(outputPath);
  if (!replacement) {
    CloseInputFile(input);
    PrintWithPath(OpeningErrorMessage, outputPath);
    return false;
  }
  // Left uninitialised: a small file then touches only the memory it fills.
  std::unique_ptr<char[]> piece(new char[PieceSize]);
  OutputBuffer output;
  LineSplitter splitter;
  for (;;) {
    size_t got = 0;
    if (!ReadInputFile(input, piece.get(), PieceSize, &got)) {
      // A read that stops part-way counts as no read: the rest of the file would be lost.
      CloseInputFile(input);
      AbandonFileReplacement(replacement);
      PrintWithPath(OpeningErrorMessage, inputPath);
      return false;
    }
    if (got == 0) break;
    FeedLines(splitter, std::string_view(piece.get(), got), handler, output);
    if (output.size() >= PieceSize) {
      if (!WriteFileReplacement(replacement, output.data(), output.size())) {
        CloseInputFile(input);
        AbandonFileReplacement(replacement);
        PrintWithPath(WritingErrorMessage, outputPath);
        return false;
      }
      output.clear();
    }
  }
  CloseInputFile(input);
  FinishLines(splitter, handler, output);
  if (!WriteFileReplacement(replacement, output.data(), output.size())) {
    AbandonFileReplacement(replacement);
    PrintWithPath(WritingErrorMessage, outputPath);
    return false;
  }
  return ReportWriteOutcome(FinishFileReplacement(replacement), outputPath);
}
