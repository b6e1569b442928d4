// POSIX stand-in for the platform layer. Drive C: is the folder named by EVALCONV_DRIVE_C (the
// current folder when unset); "C:\rth\a.txt" is "$EVALCONV_DRIVE_C/rth/a.txt". System libraries
// are shared objects under Windows/System32 of that folder.
#include "platform/platform.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Wide paths hold only what the program builds in; each character is encoded as UTF-8.
std::string EncodeUtf8(const std::wstring& text) {
  std::string encoded;
  for (wchar_t wide : text) {
    auto code = static_cast<unsigned long>(wide);
    if (code < 0x80) {
      encoded += static_cast<char>(code);
    } else if (code < 0x800) {
      encoded += static_cast<char>(0xC0 | (code >> 6));
      encoded += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      encoded += static_cast<char>(0xE0 | (code >> 12));
      encoded += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      encoded += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      encoded += static_cast<char>(0xF0 | (code >> 18));
      encoded += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
      encoded += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      encoded += static_cast<char>(0x80 | (code & 0x3F));
    }
  }
  return encoded;
}

// Maps "C:\dir\file" to "<drive folder>/dir/file". Paths on other drives map to a name that
// cannot exist, so they fail like a missing drive would.
std::string HostPath(const std::wstring& path) {
  std::wstring volume, pathOnVolume;
  SplitVolumePath(path, &volume, &pathOnVolume);
  if (volume != L"C:" && volume != L"c:") return "/nonexistent-drive/" + EncodeUtf8(path);
  const char* drive = std::getenv("EVALCONV_DRIVE_C");
  std::string host = (drive && *drive) ? drive : ".";
  std::string rest = EncodeUtf8(pathOnVolume);
  for (char& c : rest) {
    if (c == '\\') c = '/';
  }
  return host + rest;
}

bool WriteAll(int fd, const char* data, size_t size) {
  // In pieces: one write of a whole large buffer is markedly slower than the same bytes in
  // pieces of a size the caches hold.
  constexpr size_t Piece = 1 << 18;
  size_t done = 0;
  while (done < size) {
    ssize_t written = write(fd, data + done, std::min(Piece, size - done));
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    done += static_cast<size_t>(written);
  }
  return true;
}

}  // namespace

struct InputFile {
  int fd;
};

InputFile* OpenInputFile(const std::wstring& path, ReadOutcome* outcome) {
  int fd = open(HostPath(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    *outcome = (errno == ENOENT || errno == ENOTDIR) ? ReadOutcome::Missing : ReadOutcome::Failed;
    return nullptr;
  }
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    *outcome = ReadOutcome::Failed;
    return nullptr;
  }
  *outcome = ReadOutcome::Read;
  return new InputFile{fd};
}

bool ReadInputFile(InputFile* file, char* buffer, size_t capacity, size_t* got) {
  for (;;) {
    ssize_t count = read(file->fd, buffer, capacity);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) return false;
    *got = static_cast<size_t>(count);
    return true;
  }
}

void CloseInputFile(InputFile* file) {
  close(file->fd);
  delete file;
}

struct FileReplacement {
  int fd;
  std::string target;
  std::string temporary;
};

FileReplacement* BeginFileReplacement(const std::wstring& path) {
  std::string target = HostPath(path);
  std::string temporary = target + ".evalconv-new";
  struct stat info;
  // The old file keeps its permissions; a new one gets the usual ones.
  mode_t mode = 0644;
  if (stat(target.c_str(), &info) == 0) {
    if (S_ISDIR(info.st_mode)) return nullptr;
    mode = info.st_mode & 07777;
  }
  int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
  if (fd < 0) return nullptr;
  return new FileReplacement{fd, std::move(target), std::move(temporary)};
}

bool WriteFileReplacement(FileReplacement* replacement, const char* data, size_t size) {
  return WriteAll(replacement->fd, data, size);
}

WriteOutcome FinishFileReplacement(FileReplacement* replacement) {
  bool written = fsync(replacement->fd) == 0;
  if (close(replacement->fd) != 0) written = false;
  WriteOutcome outcome = WriteOutcome::Written;
  if (!written) {
    outcome = WriteOutcome::WriteFailed;
  } else if (rename(replacement->temporary.c_str(), replacement->target.c_str()) != 0) {
    outcome = WriteOutcome::OpenFailed;
  }
  if (outcome != WriteOutcome::Written) unlink(replacement->temporary.c_str());
  delete replacement;
  return outcome;
}

void AbandonFileReplacement(FileReplacement* replacement) {
  close(replacement->fd);
  unlink(replacement->temporary.c_str());
  delete replacement;
}

void PrintWithPath(const char* format, const std::wstring& path) {
  std::printf(format, path.c_str());
}

void SplitVolumePath(const std::wstring& path, std::wstring* volume, std::wstring* pathOnVolume) {
  // Same split as _wsplitpath: a drive is a letter and a colon at the start; directory, file
  // name and extension together are everything after it.
  if (path.size() >= 2 && path[1] == L':') {
    *volume = path.substr(0, 2);
    *pathOnVolume = path.substr(2);
  } else {
    volume->clear();
    *pathOnVolume = path;
  }
}

void* LoadSystemLibrary(const std::wstring& name) {
  std::wstring systemPath = L"C:\\Windows\\System32\\" + name;
  std::string host = HostPath(systemPath);
  struct stat info;
  if (stat(host.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return nullptr;
  return dlopen(host.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* FindLibraryFunction(void* library, const char* name) { return dlsym(library, name); }

void ReleaseSystemLibrary(void* library) { dlclose(library); }
