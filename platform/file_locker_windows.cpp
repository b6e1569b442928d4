// Test support program (Windows only): holds a file open without sharing it, the way another
// program can lock a file on Windows, until told to let go.
//   file_locker <file> <ready marker> <release marker>
// Creates the ready marker once the file is locked, then waits (at most 60 s) for the release
// marker to exist.
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) return 2;
  HANDLE file = CreateFileW(argv[1], GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  HANDLE ready = CreateFileW(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
  CloseHandle(ready);
  for (int waited = 0; waited < 6000; ++waited) {
    if (GetFileAttributesW(argv[3]) != INVALID_FILE_ATTRIBUTES) break;
    Sleep(10);
  }
  CloseHandle(file);
  return 0;
}
