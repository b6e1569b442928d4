// Derives the configuration of the KITL debug image from the converted hypervisor
// configuration: OS 1's commented debug settings switched on with the KITL transport in front
// of the COM port, IRQ 3 switched on, and the KITL card of [/PCI/5] given to OS 1.
#include "rewriters/kitl_config.h"

#include <memory>
#include <string>

#include "driver/fixed_paths.h"

namespace {

// The end of a section in the file does not end the tracked section: only the three headers
// and the handled lines below change it.
enum class KitlSection { None, Os1, Irq, AfterPci5Header };

struct KitlState {
  KitlSection section = KitlSection::None;
};

const std::string KitlTransportBlock[] = {
    "    \"KITL_transport_type\" = \"KTS_ETHER\"",
    "    \"KITL_adapter_type\" = uint32:17",
    std::string("    \"KITL_IP\" = \"") + KitlIpAddress + "\"",
    "",
};

constexpr char KitlCardOsLine[] = "    \"OS\" = uint32: 1 # enable for KITL configuration";
constexpr char DebugComPort[] = "debug_com_port";

struct KitlPatterns {
  Pattern commentedDebugSetting = CompilePattern("#[ ]*\"debug_[a-z_]+\"[ ]*=.*");
  Pattern commentedIrq3 = CompilePattern("#[ ]*\"IRQ_03\"[ ]*=.*");
};

const KitlPatterns& Patterns() {
  static const KitlPatterns patterns;
  return patterns;
}

void HandleKitlLine(KitlState& state, std::string& line, OutputBuffer& output) {
  if (StartsWith(line, "[/OS/1]") || StartsWith(line, " [/OS/1]")) {
    state.section = KitlSection::Os1;
  } else if (StartsWith(line, "[/IRQ]")) {
    state.section = KitlSection::Irq;
  } else if (StartsWith(line, "[/PCI/5]")) {
    state.section = KitlSection::AfterPci5Header;
  } else {
    switch (state.section) {
      case KitlSection::AfterPci5Header:
        AppendLine(output, KitlCardOsLine);
        state.section = KitlSection::None;
        break;
      case KitlSection::Irq:
        if (MatchesWholeLine(line, Patterns().commentedIrq3)) {
          line = DropFirstChar(line);
          state.section = KitlSection::None;
        }
        break;
      case KitlSection::Os1:
        if (MatchesWholeLine(line, Patterns().commentedDebugSetting)) {
          if (Contains(line, DebugComPort)) {
            for (const std::string& blockLine : KitlTransportBlock) AppendLine(output, blockLine);
          } else {
            state.section = KitlSection::None;
          }
          line = DropFirstChar(line);
        }
        break;
      case KitlSection::None:
        break;
    }
  }
}

}  // namespace

LineHandler MakeKitlLineHandler() {
  auto state = std::make_shared<KitlState>();
  return [state](std::string& line, OutputBuffer& output) { HandleKitlLine(*state, line, output); };
}

bool CreateKitlConfig() {
  return RewriteByLines(HypervisorConfigPath, KitlConfigPath, MakeKitlLineHandler());
}
