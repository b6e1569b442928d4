// Commits the tool's files through the write filter's library, loaded at run time so that the
// tool also runs on systems without it.
#include "writefilter/commit_changed_files.h"

#include <cstdint>
#include <cstdio>
#include <string>

#include "driver/fixed_paths.h"
#include "platform/platform.h"

namespace {

const wchar_t LibraryName[] = L"FBWFLIB.DLL";
const char IsFilterEnabledName[] = "FbwfIsFilterEnabled";
const char CommitFileName[] = "FbwfCommitFile";

const char LoadFailedMessage[] = "Could not load FBWFLIB.DLL\n";
const char LookupFailedMessage[] = "Error retrieving function pointers from FBWFLIB.DLL\n";
const char CommitFailedFormat[] = "Commit of %S failed!\n";

// The signatures the library publishes; the statuses are 32-bit, 0 meaning success.
using IsFilterEnabledFunction = std::uint32_t(SYSTEM_LIBRARY_CALL*)(std::uint32_t* currentSession,
                                                                    std::uint32_t* nextSession);
using CommitFileFunction = std::uint32_t(SYSTEM_LIBRARY_CALL*)(const wchar_t* volume,
                                                               const wchar_t* pathOnVolume);

constexpr std::uint32_t FilterActive = 1;

// In the order of declaration in driver/fixed_paths.h.
const std::wstring* const CommitList[] = {&HypervisorConfigPath, &KitlConfigPath, &BootMenuPath,
                                          &PlatformConfigPath};

}  // namespace

bool CommitChangedFiles() {
  void* library = LoadSystemLibrary(LibraryName);
  if (!library) {
    std::fputs(LoadFailedMessage, stdout);
    return false;
  }
  auto commitFile =
      reinterpret_cast<CommitFileFunction>(FindLibraryFunction(library, CommitFileName));
  auto isFilterEnabled =
      reinterpret_cast<IsFilterEnabledFunction>(FindLibraryFunction(library, IsFilterEnabledName));
  if (!commitFile || !isFilterEnabled) {
    std::fputs(LookupFailedMessage, stdout);
    ReleaseSystemLibrary(library);
    return false;
  }

  // A query that fails leaves the flags as they are: starting at 0 makes that "not active", so
  // a system with the library but without the filter does not fail the run.
  std::uint32_t currentSession = 0;
  std::uint32_t nextSession = 0;  // fetched, never used: only this session's writes are at risk
  isFilterEnabled(&currentSession, &nextSession);

  bool allCommitted = true;
  if (currentSession == FilterActive) {
    for (const std::wstring* path : CommitList) {
      std::wstring volume, pathOnVolume;
      SplitVolumePath(*path, &volume, &pathOnVolume);
      // Every file is tried: one that fails must not keep the others from surviving a restart.
      if (commitFile(volume.c_str(), pathOnVolume.c_str()) != 0) {
        PrintWithPath(CommitFailedFormat, *path);
        allCommitted = false;
      }
    }
  }
  ReleaseSystemLibrary(library);
  return allCommitted;
}
