// PLACEHOLDER: being implemented (stretching). Not done.
#include "image/stretch.h"

extern "C" {
std::int32_t HOST_CDECL IMStretch(std::int32_t, std::int32_t) { return 0; }
std::int32_t HOST_CDECL IMStretch2(std::int32_t, std::int32_t, std::int32_t) { return 0; }
}
