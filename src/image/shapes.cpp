// PLACEHOLDER: being implemented (shapes). Not done.
#include "image/shapes.h"

extern "C" {
std::int32_t HOST_CDECL IMCircle(std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                                 std::int32_t, std::int32_t) {
  return 0;
}
std::int32_t HOST_CDECL IMCube(std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                               std::int32_t, std::int32_t) {
  return 0;
}
std::int32_t HOST_CDECL IMBox(std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                              std::int32_t, std::int32_t, std::int32_t) {
  return 0;
}
}
