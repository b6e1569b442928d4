#include "driver/conversion.h"

#include <cstdio>

#include "rewriters/boot_menu.h"
#include "rewriters/hypervisor_config.h"
#include "rewriters/kitl_config.h"
#include "rewriters/network_buses.h"
#include "writefilter/commit_changed_files.h"

namespace {

using Step = bool (*)();

// Order matters: later steps read or name what earlier ones wrote.
constexpr Step StepTable[] = {
    ConvertHypervisorConfig,
    CreateKitlConfig,
    ConvertNetworkBuses,
    AddBootMenuEntries,
    CommitChangedFiles,
};

}  // namespace

int RunConversion() {
  bool allSucceeded = true;
  for (Step step : StepTable) {
    // Every step runs, whatever the earlier ones returned.
    bool succeeded = step();
    allSucceeded = allSucceeded && succeeded;
  }
  std::printf(allSucceeded ? "Done!\n" : "Failed!\n");
  std::fflush(stdout);
  return allSucceeded ? 0 : 1;
}
