// Line tests, line edits and the read-everything-then-rewrite cycle shared by the rewriters.
// A line is a byte string without its terminator; every comparison is byte-exact.
#pragma once

#include <bitset>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

/// Printed with the path of a file that cannot be opened, created or put in place.
inline constexpr char OpeningErrorMessage[] = "Error: opening %S\n";
/// Printed with the path of a file whose new data cannot be written.
inline constexpr char WritingErrorMessage[] = "Error: writing %S\n";

/// The new file's bytes as they grow; every line in it already ends in CR LF.
using OutputBuffer = std::string;

/// Per-line logic of a step: it may replace `line` and may append whole extra lines to the
/// buffer, which then stand in front of `line`.
using LineHandler = std::function<void(std::string& line, OutputBuffer& output)>;

/// One step of a pattern that our own matcher runs: a set of bytes, taken once or, when
/// `repeated`, as often as possible ("*", or "+" when not `optional`).
struct PatternStep {
  std::bitset<256> takes;
  bool repeated = false;
  bool optional = false;
};

/// An ECMAScript regular expression of the shape every pattern of the program has, compiled
/// once: literal characters, escaped punctuation, bracket expressions, ".", "*" and "+", in which
/// every repeated step but the last is followed by a step that must take a byte the repetition
/// cannot take. Such a repetition can only stop where it stops taking bytes, so one pass over
/// the line decides, in time linear in its length and without recursion, exactly as an
/// ECMAScript matcher would (the tests compare with std::regex).
struct Pattern {
  std::vector<PatternStep> steps;
};

/// Compiles `text` for matching over bytes; aborts on a pattern of any other shape, which only
/// a change of the program's fixed patterns could bring.
Pattern CompilePattern(const char* text);

bool StartsWith(std::string_view line, std::string_view prefix);
bool Contains(std::string_view text, std::string_view fixedText);
/// True when `pattern` matches `line` from its first to its last character.
bool MatchesWholeLine(const std::string& line, const Pattern& pattern);
/// Replaces every non-overlapping match, left to right; "$" in `replacement` refers to the match.
std::string ReplaceAll(const std::string& line, const Pattern& pattern,
                       const std::string& replacement);
/// ReplaceAll on `line` itself; a line without a match is left alone without any copying.
void ReplaceAllInPlace(std::string& line, const Pattern& pattern, const std::string& replacement);
/// `line` without its first character; only for a line that is not empty.
std::string DropFirstChar(const std::string& line);

/// Appends `line` and a CR LF line end.
void AppendLine(OutputBuffer& output, std::string_view line);

/// Runs `handler` over the lines of `content` and returns the new bytes. A line ends at LF; a
/// CR directly before that LF belongs to the line end, any other CR to the text. Every line
/// comes out with CR LF; an empty input gives an empty output.
OutputBuffer RewriteText(const std::string& content, const LineHandler& handler);

/// Rewrites `inputPath` with `handler` into a temporary file, piece by piece, and puts the
/// result in place of `outputPath` in one step once the whole input has been read. Prints the one-line reason and returns false when the input cannot
/// be read or the output cannot be written; the output file is then left as it was.
bool RewriteByLines(const std::wstring& inputPath, const std::wstring& outputPath,
                    const LineHandler& handler);

/// Puts `content` in place of `path`, printing the one-line reason on failure.
bool WriteWholeFileReporting(const std::wstring& path, const std::string& content);
