// Test support for the rewriters' tests.
#pragma once

#include <string>

/// `text` with each LF written as CR LF, as the tool writes line ends; tests write plain LF.
inline std::string WithCrLf(const std::string& text) {
  std::string result;
  for (char c : text) {
    if (c == '\n') result += '\r';
    result += c;
  }
  return result;
}
