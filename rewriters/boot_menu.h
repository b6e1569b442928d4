#pragma once

/// Step 4: appends the two debug-image entries to the boot menu, once.
bool AddBootMenuEntries();
