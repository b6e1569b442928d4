// The program's patterns, as our linear matcher runs them, agree with the default std::regex
// executor. The first byte picks the pattern, the rest is the line.
#include <cstdint>
#include <regex>
#include <vector>

#include "text/fuzz_checks.h"

namespace {

const char* const Patterns[] = {
    "[ ]*\"bus\"[ ]*=.*",           "uint32:[ ]*1",
    "[ ]*\"device_ID\"[ ]*=.*",     "uint32:[ ]*0x3002",
    "uint32:[ ]*0x3005",            "#[ ]*\"IRQ_03\"[ ]*=.*",
    "#[ ]*\"debug_[a-z_]+\"[ ]*=.*", "[ ]*\"Bus\":.*",
    "\\[[0-9, ]+\\]",
    // Further shapes the matcher takes.
    "[^a =]+=", "a.b", "\\.x*y", "[0-9]+", "b+", "[a\\]]*\\[",
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The default executor recurses once per character: keep its lines short.
  if (size < 1 || size > 512) return 0;
  static std::vector<Pattern> compiled;
  static std::vector<std::regex> reference;
  if (compiled.empty()) {
    for (const char* text : Patterns) {
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
