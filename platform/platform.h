// The only seam between evalconv and the operating system. One implementation per platform:
// platform_windows.cpp (the real Win32 calls) and platform_posix.cpp (a stand-in that maps
// drive C: to the folder named by EVALCONV_DRIVE_C, for development and tests).
#pragma once

#include <string>

/// Result of reading a whole file.
enum class ReadOutcome {
  Read,     // the complete content was read
  Missing,  // the file (or its folder) does not exist
  Failed,   // it exists but cannot be opened or read completely (locked, a directory, I/O error)
};

/// Reads the complete file at `path` as bytes; the open shares reading, writing and deletion.
ReadOutcome ReadWholeFile(const std::wstring& path, std::string* content);

/// A file open for reading piece by piece.
struct InputFile;

/// Opens `path` for reading, shared as ReadWholeFile opens it; nullptr, with `*outcome` saying
/// why, when it cannot be opened (a folder cannot).
InputFile* OpenInputFile(const std::wstring& path, ReadOutcome* outcome);

/// Reads up to `capacity` bytes into `buffer`; `*got` is 0 at the end of the file. False on a
/// read error.
bool ReadInputFile(InputFile* file, char* buffer, size_t capacity, size_t* got);

/// Closes and frees `file`.
void CloseInputFile(InputFile* file);

/// Result of replacing a whole file.
enum class WriteOutcome {
  Written,      // `path` now holds exactly the new content
  OpenFailed,   // the new file could not be created or could not take the old one's place
  WriteFailed,  // its data could not be written (disk full, I/O error)
};

/// Writes `content` to a temporary file beside `path`, flushes it and puts it in place of `path`
/// in one step, so that `path` holds either its old or its complete new content, never a mix.
/// On failure the temporary file is removed and `path` is left as it was.
WriteOutcome ReplaceWholeFile(const std::wstring& path, const std::string& content);

/// The new content of a file, on its way into a temporary file beside it.
struct FileReplacement;

/// Starts replacing `path`: creates the temporary file. nullptr when it cannot be created or
/// `path` is a folder (WriteOutcome::OpenFailed).
FileReplacement* BeginFileReplacement(const std::wstring& path);

/// Appends `size` bytes to the new content; false when they cannot be written.
bool WriteFileReplacement(FileReplacement* replacement, const char* data, size_t size);

/// Flushes the new content and puts it in place of the old file in one step; on failure removes
/// it and leaves the old file as it was. Frees `replacement`.
WriteOutcome FinishFileReplacement(FileReplacement* replacement);

/// Gives up: removes the temporary file, leaves the old file as it was, frees `replacement`.
void AbandonFileReplacement(FileReplacement* replacement);

/// Prints `format` to standard output with its one "%S" replaced by the wide-character `path`.
void PrintWithPath(const char* format, const std::wstring& path);

/// Splits a full path such as "C:\\rth\\a.txt" into its volume ("C:") and the path on that
/// volume ("\\rth\\a.txt"), the way the C runtime's _wsplitpath does.
void SplitVolumePath(const std::wstring& path, std::wstring* volume, std::wstring* pathOnVolume);

/// Calling convention of the functions that a run-time loaded system library exports: stdcall
/// on 32-bit Windows, the platform default elsewhere.
#if defined(_WIN32) && defined(__i386__)
#define SYSTEM_LIBRARY_CALL __stdcall
#else
#define SYSTEM_LIBRARY_CALL
#endif

/// Loads the system library `name` at run time; nullptr when it cannot be loaded.
void* LoadSystemLibrary(const std::wstring& name);

/// Address of the function `name` exported by `library`; nullptr when it is missing.
void* FindLibraryFunction(void* library, const char* name);

/// Releases a library returned by LoadSystemLibrary.
void ReleaseSystemLibrary(void* library);
