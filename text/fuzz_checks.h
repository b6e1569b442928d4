// Checks shared by the libFuzzer targets: a failed check aborts, which libFuzzer reports as a
// crash with the input that caused it.
#pragma once

#include <cstdlib>
#include <string>

#include "text/line_rewriting.h"

inline void Check(bool condition) {
  if (!condition) std::abort();
}

/// True when every line end in `output` is CR LF and the output, unless empty, ends with one.
inline bool HasOnlyCrLfLineEnds(const std::string& output) {
  for (size_t i = 0; i < output.size(); ++i) {
    if (output[i] == '\n' && (i == 0 || output[i - 1] != '\r')) return false;
  }
  return output.empty() || (output.size() >= 2 && output.compare(output.size() - 2, 2, "\r\n") == 0);
}

/// Runs a step's line handling over `input`, then over its own output, which must not change.
inline void CheckStableRewrite(const std::string& input, LineHandler (*makeHandler)()) {
  const std::string once = RewriteText(input, makeHandler());
  Check(HasOnlyCrLfLineEnds(once));
  Check(RewriteText(once, makeHandler()) == once);
}
