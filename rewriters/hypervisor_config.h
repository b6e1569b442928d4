#pragma once

#include "text/line_rewriting.h"

/// A fresh line handler of the hypervisor conversion, with its state reset.
LineHandler MakeHypervisorLineHandler();

/// Step 1: rewrites the hypervisor configuration in place for the evaluation board.
bool ConvertHypervisorConfig();
