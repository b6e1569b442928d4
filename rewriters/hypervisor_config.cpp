// Moves the PCI assignments of the hypervisor configuration to the evaluation board and
// declares its two Intel network controllers, disabled, in front of the PCI region's rule lines.
#include "rewriters/hypervisor_config.h"

#include <memory>

#include "driver/fixed_paths.h"

namespace {

enum class PciSection { None, Pci0, Pci1, Pci2 };

struct HypervisorState {
  bool inPciRegion = false;
  bool pci5Seen = false;  // only lines of the input count, never the inserted block
  PciSection section = PciSection::None;  // never returns to None
};

constexpr const char* NicDisableBlock[] = {
    "# Disable the INTEL 82574L (KITL debug card)",
    "[/PCI/5]",
    "    \"vendor_ID\" = uint32: 0x8086",
    "    \"device_ID\" = uint32 : 0x10D3",
    "    \"interrupt_mode\" = uint32 : 2  # use MSI to avoid IRQ conflict",
    "",
    "# Disable INTEL 82579 (on - board NIC)",
    "[/PCI/6]",
    "    \"vendor_ID\" = uint32: 0x8086",
    "    \"device_ID\" = uint32 : 0x1502",
    "",
};

constexpr size_t RuleLineLength = 80;

struct SectionRewrite {
  Pattern selector;
  Pattern value;
  std::string replacement;
};

struct SectionRewrites {
  SectionRewrite pci0{CompilePattern("[ ]*\"bus\"[ ]*=.*"), CompilePattern("uint32:[ ]*1"),
                      "uint32: 2"};
  SectionRewrite pci1{CompilePattern("[ ]*\"device_ID\"[ ]*=.*"),
                      CompilePattern("uint32:[ ]*0x3002"),
                      "uint32: 0x3003 # use QM4410 on Eval-Board"};
  SectionRewrite pci2{CompilePattern("[ ]*\"device_ID\"[ ]*=.*"),
                      CompilePattern("uint32:[ ]*0x3005"),
                      "uint32: 0x3006 # use QM4412 on Eval-Board"};
};

// Compiled once per process, on first use.
const SectionRewrites& Rewrites() {
  static const SectionRewrites rewrites;
  return rewrites;
}

bool IsRuleLine(const std::string& line) {
  return line.size() >= RuleLineLength && line.find_first_not_of('#') >= RuleLineLength;
}

void HandleHypervisorLine(HypervisorState& state, std::string& line, OutputBuffer& output) {
  if (!state.inPciRegion) {
    if (StartsWith(line, "[/PCI]")) state.inPciRegion = true;
    return;
  }
  if (StartsWith(line, "[/PCI/0]")) {
    state.section = PciSection::Pci0;
  } else if (StartsWith(line, "[/PCI/1]")) {
    state.section = PciSection::Pci1;
  } else if (StartsWith(line, "[/PCI/2]")) {
    state.section = PciSection::Pci2;
  } else if (StartsWith(line, "[/PCI/5")) {
    state.pci5Seen = true;
  } else if (!state.pci5Seen && IsRuleLine(line)) {
    for (const char* blockLine : NicDisableBlock) AppendLine(output, blockLine);
  } else {
    const SectionRewrite* rewrite = nullptr;
    switch (state.section) {
      case PciSection::Pci0: rewrite = &Rewrites().pci0; break;
      case PciSection::Pci1: rewrite = &Rewrites().pci1; break;
      case PciSection::Pci2: rewrite = &Rewrites().pci2; break;
      case PciSection::None: break;
    }
    if (rewrite && MatchesWholeLine(line, rewrite->selector)) {
      ReplaceAllInPlace(line, rewrite->value, rewrite->replacement);
    }
  }
}

}  // namespace

LineHandler MakeHypervisorLineHandler() {
  auto state = std::make_shared<HypervisorState>();
  return [state](std::string& line, OutputBuffer& output) {
    HandleHypervisorLine(*state, line, output);
  };
}

bool ConvertHypervisorConfig() {
  return RewriteByLines(HypervisorConfigPath, HypervisorConfigPath, MakeHypervisorLineHandler());
}
