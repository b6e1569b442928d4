// Arbitrary bytes through the KITL derivation: no crash and CR LF line ends. The variant is
// derived once from the converted file, so it need not be stable under a second run.
#include <cstdint>

#include "rewriters/kitl_config.h"
#include "text/fuzz_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  Check(HasOnlyCrLfLineEnds(RewriteText(input, MakeKitlLineHandler())));
  return 0;
}
