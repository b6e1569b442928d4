// The floor the benchmark measures the tool against: the tool's files copied, each through a
// temporary file that is flushed to disk and then renamed over the original, the way the tool
// replaces a file. The KITL configuration is written as a copy of the hypervisor configuration.
// Drive C: is the folder named by EVALCONV_DRIVE_C. Plain C calls only, so that on a small
// drive it also shows what the file operations alone cost next to starting a process.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace {

bool WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    ssize_t written = write(fd, data, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    data += written;
    size -= static_cast<size_t>(written);
  }
  return true;
}

bool CopyThroughTemporary(const char* root, const char* fromName, const char* toName) {
  char from[4096], to[4096], temporary[4096];
  std::snprintf(from, sizeof from, "%s/%s", root, fromName);
  std::snprintf(to, sizeof to, "%s/%s", root, toName);
  std::snprintf(temporary, sizeof temporary, "%s/%s.evalconv-new", root, toName);
  int in = open(from, O_RDONLY | O_CLOEXEC);
  if (in < 0) return false;
  int out = open(temporary, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (out < 0) {
    close(in);
    return false;
  }
  // The size the tool reads with: a larger buffer costs more page faults than a small file.
  static char chunk[1 << 16];
  bool copied = true;
  for (;;) {
    ssize_t got = read(in, chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      copied = got == 0;
      break;
    }
    if (!WriteAll(out, chunk, static_cast<size_t>(got))) {
      copied = false;
      break;
    }
  }
  copied = copied && fsync(out) == 0;
  if (close(out) != 0) copied = false;
  close(in);
  return copied && rename(temporary, to) == 0;
}

}  // namespace

int main() {
  const char* drive = std::getenv("EVALCONV_DRIVE_C");
  const char* root = (drive && *drive) ? drive : ".";
  const char* hypervisor = "rth/Windows_WEC800.txt";
  bool copied = CopyThroughTemporary(root, hypervisor, hypervisor);
  copied = CopyThroughTemporary(root, hypervisor, "rth/Windows_WEC800_kitl.txt") && copied;
  copied = CopyThroughTemporary(root, "rth/WynCfg.json", "rth/WynCfg.json") && copied;
  copied = CopyThroughTemporary(root, "menu.lst", "menu.lst") && copied;
  std::printf(copied ? "Done!\n" : "Failed!\n");
  return copied ? 0 : 1;
}
