#include "driver/fixed_paths.h"

const std::wstring HypervisorConfigPath = L"C:\\rth\\Windows_WEC800.txt";
const std::wstring KitlConfigPath = L"C:\\rth\\Windows_WEC800_kitl.txt";
const std::wstring BootMenuPath = L"C:\\menu.lst";
const std::wstring PlatformConfigPath = L"C:\\rth\\WynCfg.json";
