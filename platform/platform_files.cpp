// Whole-file reading and replacing, the same on every platform: built on the piecewise calls
// that each platform implements.
#include "platform/platform.h"

ReadOutcome ReadWholeFile(const std::wstring& path, std::string* content) {
  content->clear();
  ReadOutcome outcome;
  InputFile* file = OpenInputFile(path, &outcome);
  if (!file) return outcome;
  size_t size = 0;
  for (;;) {
    if (size == content->size()) content->resize(size + size / 2 + 4096);
    size_t got = 0;
    if (!ReadInputFile(file, &(*content)[size], content->size() - size, &got)) {
      CloseInputFile(file);
      content->clear();
      return ReadOutcome::Failed;
    }
    if (got == 0) break;
    size += got;
  }
  CloseInputFile(file);
  content->resize(size);
  return ReadOutcome::Read;
}

WriteOutcome ReplaceWholeFile(const std::wstring& path, const std::string& content) {
  FileReplacement* replacement = BeginFileReplacement(path);
  if (!replacement) return WriteOutcome::OpenFailed;
  if (!WriteFileReplacement(replacement, content.data(), content.size())) {
    AbandonFileReplacement(replacement);
    return WriteOutcome::WriteFailed;
  }
  return FinishFileReplacement(replacement);
}
