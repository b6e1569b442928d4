#pragma once

#include "text/line_rewriting.h"

/// Address of the KITL Ethernet link of the debug image: a fixed address of a private range.
inline constexpr char KitlIpAddress[] = "192.168.100.10";

/// A fresh line handler of the KITL derivation, with its state reset.
LineHandler MakeKitlLineHandler();

/// Step 2: writes the KITL variant of the (converted) hypervisor configuration.
bool CreateKitlConfig();
