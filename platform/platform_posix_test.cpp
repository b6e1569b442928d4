#include "platform/platform.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>

#include "platform/test_drive.h"
#include "text/line_rewriting.h"

namespace {

// Makes every write past `bytes` fail (EFBIG instead of a fatal SIGXFSZ), even as root.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &old_);
    rlimit limited = old_;
    limited.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limited);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, oldHandler_);
  }

 private:
  rlimit old_{};
  void (*oldHandler_)(int) = nullptr;
};

TEST(PosixWriteFailure, PartWayFailureKeepsTheOldFile) {
  PrepareTestDrive();
  const std::wstring path = L"C:\\rth\\Windows_WEC800.txt";
  const std::string old = "old content\r\n";
  ASSERT_EQ(ReplaceWholeFile(path, old), WriteOutcome::Written);
  std::string content(100000, 'x');
  {
    FileSizeLimit limit(4096);
    EXPECT_EQ(ReplaceWholeFile(path, content), WriteOutcome::WriteFailed);
    testing::internal::CaptureStdout();
    EXPECT_FALSE(WriteWholeFileReporting(path, content));
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Error: writing C:\\rth\\Windows_WEC800.txt\n");
  }
  std::string after;
  ASSERT_EQ(ReadWholeFile(path, &after), ReadOutcome::Read);
  EXPECT_EQ(after, old);
  EXPECT_FALSE(ExistsOnDrive(path + L".evalconv-new"));
}

}  // namespace
