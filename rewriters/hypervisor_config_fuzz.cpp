// Arbitrary bytes through the hypervisor conversion: no crash, CR LF line ends, and a second
// run over its own output changes nothing.
#include <cstdint>

#include "rewriters/hypervisor_config.h"
#include "text/fuzz_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CheckStableRewrite(std::string(reinterpret_cast<const char*>(data), size),
                     MakeHypervisorLineHandler);
  return 0;
}
