// The four files the tool works on; its only configuration. The order of declaration is the
// order in which the write filter commits them.
#pragma once

#include <string>

extern const std::wstring HypervisorConfigPath;
extern const std::wstring KitlConfigPath;
extern const std::wstring BootMenuPath;
extern const std::wstring PlatformConfigPath;
