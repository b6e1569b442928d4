// Entry point. The tool takes no arguments; any that are given are ignored.
#include "driver/conversion.h"

#ifdef _WIN32
int wmain() { return RunConversion(); }
#else
int main() { return RunConversion(); }
#endif
