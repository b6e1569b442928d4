#pragma once

/// Runs every conversion step in order, prints "Done!" or "Failed!" and returns the exit code.
int RunConversion();
