// Reassigns the bus lists of the two network channels in the platform JSON configuration. It
// works on lines, not on parsed JSON: the file is written one member per line, and every other
// byte of it must stay as it is.
#include "rewriters/network_buses.h"

#include <memory>
#include <string>

#include "driver/fixed_paths.h"

namespace {

struct NetworkState {
  bool inNetwork = false;
  bool inEntry1 = false;  // entry flags outlive the region; only a closing brace in it clears them
  bool inEntry2 = false;
};

constexpr char NetworkKey[] = "\"Network\":";
constexpr char DebugKey[] = "\"Debug\":";
constexpr char Entry1Key[] = "\"1\":";
constexpr char Entry2Key[] = "\"2\":";
const std::string Entry1Buses = "[2]";
const std::string Entry2Buses = "[4]";

struct NetworkPatterns {
  Pattern busLine = CompilePattern("[ ]*\"Bus\":.*");
  Pattern busList = CompilePattern("\\[[0-9, ]+\\]");
};

const NetworkPatterns& Patterns() {
  static const NetworkPatterns patterns;
  return patterns;
}

void ReplaceBusLists(std::string& line, const std::string& buses) {
  if (MatchesWholeLine(line, Patterns().busLine)) {
    ReplaceAllInPlace(line, Patterns().busList, buses);
  }
}

void HandleNetworkLine(NetworkState& state, std::string& line, OutputBuffer&) {
  if (!state.inNetwork) {
    if (Contains(line, NetworkKey)) state.inNetwork = true;
    return;
  }
  // The "Debug" line is the region's last; it is still handled below.
  if (Contains(line, DebugKey)) state.inNetwork = false;
  if (Contains(line, Entry1Key)) {
    state.inEntry1 = true;
  } else if (Contains(line, Entry2Key)) {
    state.inEntry2 = true;
  } else if (Contains(line, "}")) {
    state.inEntry1 = false;
    state.inEntry2 = false;
  } else if (state.inEntry1) {
    ReplaceBusLists(line, Entry1Buses);
  } else if (state.inEntry2) {
    ReplaceBusLists(line, Entry2Buses);
  }
}

}  // namespace

LineHandler MakeNetworkBusesLineHandler() {
  auto state = std::make_shared<NetworkState>();
  return [state](std::string& line, OutputBuffer& output) {
    HandleNetworkLine(*state, line, output);
  };
}

bool ConvertNetworkBuses() {
  return RewriteByLines(PlatformConfigPath, PlatformConfigPath, MakeNetworkBusesLineHandler());
}
