#pragma once

#include "text/line_rewriting.h"

/// A fresh line handler of the JSON bus reassignment, with its state reset.
LineHandler MakeNetworkBusesLineHandler();

/// Step 3: gives network entries "1" and "2" of the platform JSON configuration buses 2 and 4.
bool ConvertNetworkBuses();
