#include "platform/ProcessMemory.h"

// The Windows heap gives large blocks back by itself.
void KeepLargeBlocksApart() {}

void ReturnFreeMemory() {}
