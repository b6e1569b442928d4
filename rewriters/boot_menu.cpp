// Appends two boot entries for the debug image, with and without KITL, to the boot-loader
// menu. A menu that already names the KITL configuration is done.
#include "rewriters/boot_menu.h"

#include <cstdio>
#include <string>

#include "driver/fixed_paths.h"
#include "platform/platform.h"
#include "text/line_rewriting.h"

namespace {

// The first, empty line ends a last menu line that has no line end of its own.
constexpr const char* BootEntries[] = {
    "",
    "title RTH with WES7 & WEC8 (Debug-Image with KITL)",
    "    root(hd0, 0)",
    "    kernel/rth/rthx86",
    "    module/rth/Windows_WEC800_kitl.txt",
    "    module/rth/Debug/NK.bin",
    "    module/rth/wyncfg.json",
    "",
    "title RTH with WES7 & WEC8 (Debug-Image without KITL)",
    "    root(hd0, 0)",
    "    kernel/rth/rthx86",
    "    module/rth/Windows_WEC800.txt",
    "    module/rth/Debug/NK.bin",
    "    module/rth/wyncfg.json",
};

constexpr char KitlConfigName[] = "Windows_WEC800_kitl.txt";
constexpr char AlreadyRevertedMessage[] = "menu.lst has already been reverted.\n";

}  // namespace

bool AddBootMenuEntries() {
  std::string menu;
  switch (ReadWholeFile(BootMenuPath, &menu)) {
    case ReadOutcome::Read:
    case ReadOutcome::Missing:  // a missing menu is an empty one, created below
      break;
    case ReadOutcome::Failed:
      // Appending to a menu we could not read might add the entries twice.
      PrintWithPath(OpeningErrorMessage, BootMenuPath);
      return false;
  }
  if (Contains(menu, KitlConfigName)) {
    std::printf(AlreadyRevertedMessage);
    return true;
  }
  // The whole new menu replaces the old one in one step: an interrupted run must never leave a
  // partial entry that already names the KITL file.
  for (const char* line : BootEntries) AppendLine(menu, line);
  return WriteWholeFileReporting(BootMenuPath, menu);
}
