/* Compiled as C: the shared header must stand on its own in a C program. */
#include "plugin/include/fetchpix.h"

#include <stddef.h>

_Static_assert(sizeof(enum _ReturnCode) == 4, "status codes fit 32 bits");
_Static_assert(offsetof(ImageData, fileName) == 16, "four 32-bit words precede the file name");

size_t HeaderProbeImageDataSize(void) { return sizeof(ImageData); }
size_t HeaderProbeEngineNameOffset(void) { return offsetof(EngineInfo, name); }
size_t HeaderProbeEngineCapsOffset(void) { return offsetof(EngineInfo, capabilities); }
uint32_t HeaderProbeVersion(void) { return FETCHPIX_INTERFACE_VERSION; }
