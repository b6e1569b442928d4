// The floor the benchmark measures the tool against: the tool's files copied, each through a
// temporary file that is flushed to disk and then renamed over the original, the way the tool
// replaces a file. The KITL configuration is written as a copy of the hypervisor configuration.
// Drive C: is the folder named by EVALCONV_DRIVE_C.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

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

bool CopyThroughTemporary(const std::string& from, const std::string& to) {
  int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return false;
  const std::string temporary = to + ".evalconv-new";
  int out = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (out < 0) {
    close(in);
    return false;
  }
  std::vector<char> chunk(1 << 20);
  bool copied = true;
  for (;;) {
    ssize_t got = read(in, chunk.data(), chunk.size());
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      copied = got == 0;
      break;
    }
    if (!WriteAll(out, chunk.data(), static_cast<size_t>(got))) {
      copied = false;
      break;
    }
  }
  copied = copied && fsync(out) == 0;
  if (close(out) != 0) copied = false;
  close(in);
  return copied && rename(temporary.c_str(), to.c_str()) == 0;
}

}  // namespace

int main() {
  const char* drive = std::getenv("EVALCONV_DRIVE_C");
  const std::string root = (drive && *drive) ? drive : ".";
  const std::string hypervisor = root + "/rth/Windows_WEC800.txt";
  bool copied = CopyThroughTemporary(hypervisor, hypervisor);
  copied = CopyThroughTemporary(hypervisor, root + "/rth/Windows_WEC800_kitl.txt") && copied;
  copied = CopyThroughTemporary(root + "/rth/WynCfg.json", root + "/rth/WynCfg.json") && copied;
  copied = CopyThroughTemporary(root + "/menu.lst", root + "/menu.lst") && copied;
  std::printf(copied ? "Done!\n" : "Failed!\n");
  return copied ? 0 : 1;
}
