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

bool WriteAll(HANDLE file, const char* data, size_t size) {
  size_t done = 0;
  while (done < size) {
    // WriteFile takes at most a DWORD; stay well below it.
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(size - done, 1u << 30));
    DWORD written = 0;
    if (!WriteFile(file, data + done, chunk, &written, nullptr) || written == 0) return false;
    done += written;
  }
  return true;
}

}  // namespace

struct InputFile {
  HANDLE handle;
};

InputFile* OpenInputFile(const std::wstring& path, ReadOutcome* outcome) {
  // Without FILE_FLAG_BACKUP_SEMANTICS a folder cannot be opened, as wanted.
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, ShareAll, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    DWORD error = GetLastError();
    *outcome = (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
                   ? ReadOutcome::Missing
                   : ReadOutcome::Failed;
    return nullptr;
  }
  *outcome = ReadOutcome::Read;
  return new InputFile{file};
}

bool ReadInputFile(InputFile* file, char* buffer, size_t capacity, size_t* got) {
  DWORD count = 0;
  if (!ReadFile(file->handle, buffer, static_cast<DWORD>(std::min<size_t>(capacity, 1u << 30)),
                &count, nullptr)) {
    return false;
  }
  *got = count;
  return true;
}

void CloseInputFile(InputFile* file) {
  CloseHandle(file->handle);
  delete file;
}

struct FileReplacement {
  HANDLE handle;
  std::wstring target;
  std::wstring temporary;
};

FileReplacement* BeginFileReplacement(const std::wstring& path) {
  // ReplaceFileW over a folder "succeeds" under some implementations by moving it aside.
  if (IsDirectory(path)) return nullptr;
  std::wstring temporary = path + L".evalconv-new";
  HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, ShareAll, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  return new FileReplacement{file, path, std::move(temporary)};
}

bool WriteFileReplacement(FileReplacement* replacement, const char* data, size_t size) {
  return WriteAll(replacement->handle, data, size);
}

WriteOutcome FinishFileReplacement(FileReplacement* replacement) {
  bool written = FlushFileBuffers(replacement->handle) != 0;
  if (!CloseHandle(replacement->handle)) written = false;
  const wchar_t* target = replacement->target.c_str();
  const wchar_t* temporary = replacement->temporary.c_str();
  WriteOutcome outcome = WriteOutcome::WriteFailed;
  if (written) {
    // ReplaceFileW keeps the old file's attributes and security; it needs an existing file.
    bool replaced = ReplaceFileW(target, temporary, nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                                 nullptr, nullptr) != 0;
    if (!replaced && GetLastError() == ERROR_FILE_NOT_FOUND &&
        GetFileAttributesW(target) == INVALID_FILE_ATTRIBUTES) {
      replaced = MoveFileExW(temporary, target,
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    }
    outcome = replaced ? WriteOutcome::Written : WriteOutcome::OpenFailed;
  }
  if (outcome != WriteOutcome::Written) DeleteFileW(temporary);
  delete replacement;
  return outcome;
}

void AbandonFileReplacement(FileReplacement* replacement) {
  CloseHandle(replacement->handle);
  DeleteFileW(replacement->temporary.c_str());
  delete replacement;
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
