// The program's patterns and further shapes, as our linear matcher runs them, agree with the
// default std::regex executor. The first byte picks the pattern, the rest is the line.
#include <cstdint>
#include <regex>
#include <vector>

#include "text/fuzz_checks.h"
#include "text/test_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The default executor recurses once per character: keep its lines short.
  if (size < 1 || size > 512) return 0;
  static std::vector<Pattern> compiled;
  static std::vector<std::regex> reference;
  if (compiled.empty()) {
    for (const char* text : MatcherTestPatterns) {
      compiled.push_back(CompilePattern(text));
      reference.emplace_back(text, std::regex_constants::ECMAScript);
    }
  }
  const size_t which = data[0] % compiled.size();
  const std::string line(reinterpret_cast<const char*>(data) + 1, size - 1);
  Check(MatchesWholeLine(line, compiled[which]) == std::regex_match(line, reference[which]));
  Check(ReplaceAll(line, compiled[which], "<$&>") ==
        std::regex_replace(line, reference[which], "<$&>"));
  return 0;
}
