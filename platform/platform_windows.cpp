// Windows implementation of the platform layer: Win32 file calls in binary, so that no byte
// (0x1A included) is lost to the C runtime's text mode; line ends are the toolkit's business.
#include "platform/platform.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr DWORD ShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

bool IsDirectory(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool WriteAll(HANDLE file, const std::string& content) {
  size_t done = 0;
  while (done < content.size()) {
    // WriteFile takes at most a DWORD; stay well below it.
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(content.size() - done, 1u << 30));
    DWORD written = 0;
    if (!WriteFile(file, content.data() + done, chunk, &written, nullptr) || written == 0) {
      return false;
    }
    done += written;
  }
  return true;
}

}  // namespace

ReadOutcome ReadWholeFile(const std::wstring& path, std::string* content) {
  content->clear();
  // Without FILE_FLAG_BACKUP_SEMANTICS a directory cannot be opened, as wanted.
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, ShareAll, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    DWORD error = GetLastError();
    return (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) ? ReadOutcome::Missing
                                                                           : ReadOutcome::Failed;
  }
  LARGE_INTEGER size;
  if (GetFileSizeEx(file, &size) && size.QuadPart > 0) {
    content->reserve(static_cast<size_t>(size.QuadPart));
  }
  char chunk[1 << 16];
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file, chunk, sizeof chunk, &got, nullptr)) {
      CloseHandle(file);
      content->clear();
      return ReadOutcome::Failed;
    }
    if (got == 0) break;
    content->append(chunk, got);
  }
  CloseHandle(file);
  return ReadOutcome::Read;
}

WriteOutcome ReplaceWholeFile(const std::wstring& path, const std::string& content) {
  // ReplaceFileW over a directory "succeeds" under some implementations by moving it aside.
  if (IsDirectory(path)) return WriteOutcome::OpenFailed;
  const std::wstring temporary = path + L".evalconv-new";
  HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, ShareAll, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return WriteOutcome::OpenFailed;
  bool written = WriteAll(file, content) && FlushFileBuffers(file);
  if (!CloseHandle(file)) written = false;
  if (!written) {
    DeleteFileW(temporary.c_str());
    return WriteOutcome::WriteFailed;
  }
  // ReplaceFileW keeps the old file's attributes and security; it needs an existing file.
  bool replaced = ReplaceFileW(path.c_str(), temporary.c_str(), nullptr,
                               REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr) != 0;
  if (!replaced && GetLastError() == ERROR_FILE_NOT_FOUND &&
      GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
    replaced = MoveFileExW(temporary.c_str(), path.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
  }
  if (!replaced) {
    DeleteFileW(temporary.c_str());
    return WriteOutcome::OpenFailed;
  }
  return WriteOutcome::Written;
}

void PrintWithPath(const char* format, const std::wstring& path) {
  std::printf(format, path.c_str());
}

void SplitVolumePath(const std::wstring& path, std::wstring* volume, std::wstring* pathOnVolume) {
  wchar_t drive[_MAX_DRIVE], directory[_MAX_DIR], name[_MAX_FNAME], extension[_MAX_EXT];
  _wsplitpath(path.c_str(), drive, directory, name, extension);
  *volume = drive;
  *pathOnVolume = std::wstring(directory) + name + extension;
}

void* LoadSystemLibrary(const std::wstring& name) {
  return reinterpret_cast<void*>(LoadLibraryW(name.c_str()));
}

void* FindLibraryFunction(void* library, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void ReleaseSystemLibrary(void* library) { FreeLibrary(static_cast<HMODULE>(library)); }
