// Test double of the write filter's library FBWFLIB.DLL, written for our tests and the demo: a
// Windows DLL (under Wine) or a shared object (POSIX stand-in) with the two entry points the tool
// calls. Tests install it as C:\Windows\System32\FBWFLIB.DLL and steer it through the
// environment, which it shares with an in-process test and which a started program (Wine
// included) inherits:
//
//   EVALCONV_FBWF_FLAGS    "<current> <next>", e.g. "1 0": FbwfIsFilterEnabled stores these in
//                          its two flags and returns 0. Unset or anything else: the query fails
//                          (non-zero status) and stores nothing.
//   EVALCONV_FBWF_FAILING  on-volume paths whose commit returns non-zero, separated by ";",
//                          e.g. "\menu.lst;\rth\WynCfg.json".
//   EVALCONV_FBWF_LOG      file to which every event is appended as one line, so that a test
//                          reads back what happened and in which order:
//                            "loaded", "FbwfIsFilterEnabled", "FbwfCommitFile C: \menu.lst",
//                            "released"
//
// Built with WRITE_FILTER_DOUBLE_LACKS_COMMIT it lacks FbwfCommitFile. Plain C calls only:
// the double must unload on release, and the log must be written even at process exit.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/platform.h"

#ifdef _WIN32
#define DOUBLE_EXPORT extern "C" __declspec(dllexport)
#else
#define DOUBLE_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {

constexpr std::uint32_t Succeeded = 0;
constexpr std::uint32_t Refused = 5;  // any non-zero status means failure to the caller

const char* Setting(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

void Log(const char* event, const char* detail = "") {
  const char* logPath = Setting("EVALCONV_FBWF_LOG");
  if (!*logPath) return;
  // Binary append: the same bytes on both targets, and a crash loses no earlier line.
  std::FILE* log = std::fopen(logPath, "ab");
  if (!log) return;
  std::fprintf(log, "%s%s\n", event, detail);
  std::fclose(log);
}

__attribute__((constructor)) void OnLoad() { Log("loaded"); }
__attribute__((destructor)) void OnRelease() { Log("released"); }

}  // namespace

DOUBLE_EXPORT std::uint32_t SYSTEM_LIBRARY_CALL FbwfIsFilterEnabled(std::uint32_t* currentSession,
                                                                    std::uint32_t* nextSession) {
  Log("FbwfIsFilterEnabled");
  unsigned long current = 0, next = 0;
  char rest = 0;
  if (std::sscanf(Setting("EVALCONV_FBWF_FLAGS"), "%lu %lu %c", &current, &next, &rest) != 2) {
    return Refused;
  }
  *currentSession = static_cast<std::uint32_t>(current);
  *nextSession = static_cast<std::uint32_t>(next);
  return Succeeded;
}

#ifndef WRITE_FILTER_DOUBLE_LACKS_COMMIT
namespace {

// The tool's paths are ASCII; anything else shows as '?' in the log.
void Narrow(const wchar_t* wide, char* narrow, std::size_t size) {
  std::size_t i = 0;
  for (; wide[i] != 0 && i + 1 < size; ++i) {
    narrow[i] = static_cast<unsigned long>(wide[i]) < 0x80 ? static_cast<char>(wide[i]) : '?';
  }
  narrow[i] = 0;
}

bool CommitFails(const char* path) {
  const char* failing = Setting("EVALCONV_FBWF_FAILING");
  std::size_t length = std::strlen(path);
  for (const char* entry = failing; *entry;) {
    const char* end = std::strchr(entry, ';');
    std::size_t entryLength = end ? static_cast<std::size_t>(end - entry) : std::strlen(entry);
    if (entryLength == length && std::strncmp(entry, path, length) == 0) return true;
    if (!end) break;
    entry = end + 1;
  }
  return false;
}

}  // namespace

DOUBLE_EXPORT std::uint32_t SYSTEM_LIBRARY_CALL FbwfCommitFile(const wchar_t* volume,
                                                               const wchar_t* path) {
  char narrowVolume[64], narrowPath[1024], detail[1100];
  Narrow(volume, narrowVolume, sizeof narrowVolume);
  Narrow(path, narrowPath, sizeof narrowPath);
  std::snprintf(detail, sizeof detail, " %s %s", narrowVolume, narrowPath);
  Log("FbwfCommitFile", detail);
  return CommitFails(narrowPath) ? Refused : Succeeded;
}
#endif
