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

/// Every pattern of the program, then further shapes that the linear matcher takes: the tests
/// and the fuzzer compare the matcher with std::regex on these.
inline constexpr const char* MatcherTestPatterns[] = {
    "[ ]*\"bus\"[ ]*=.*",           "uint32:[ ]*1",
    "[ ]*\"device_ID\"[ ]*=.*",     "uint32:[ ]*0x3002",
    "uint32:[ ]*0x3005",            "#[ ]*\"IRQ_03\"[ ]*=.*",
    "#[ ]*\"debug_[a-z_]+\"[ ]*=.*", "[ ]*\"Bus\":.*",
    "\\[[0-9, ]+\\]",
    "[^a =]+=", "a.b", "\\.x*y", "[0-9]+", "b+", "[a\\]]*\\[",
};
