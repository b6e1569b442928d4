// The read-rewrite cycle keeps every byte and applies exactly the line-end rules.
#include <cstdint>

#include "text/fuzz_checks.h"

namespace {

// The rules stated independently: a bare LF becomes CR LF, a CR LF stays, every other byte
// stays, and a last line without a line end gets one.
std::string ExpectedLineEnds(const std::string& input) {
  std::string expected;
  for (size_t i = 0; i < input.size(); ++i) {
    if (input[i] == '\n' && (i == 0 || input[i - 1] != '\r')) expected += '\r';
    expected += input[i];
  }
  if (!input.empty() && input.back() != '\n') expected += "\r\n";
  return expected;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const LineHandler keep = [](std::string&, OutputBuffer&) {};
  Check(RewriteText(input, keep) == ExpectedLineEnds(input));
  return 0;
}
