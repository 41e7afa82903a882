#include "refhost/runner/export_call.h"

namespace refhost {
namespace {

using I = std::int32_t;

template <typename Fn>
Fn As(const void* address) {
  return reinterpret_cast<Fn>(const_cast<void*>(address));
}

}  // namespace

std::int32_t CallExport(const void* address, const std::int32_t* a, std::size_t count) {
  switch (count) {
    case 0:
      return As<I(REFHOST_CDECL*)()>(address)();
    case 1:
      return As<I(REFHOST_CDECL*)(I)>(address)(a[0]);
    case 2:
      return As<I(REFHOST_CDECL*)(I, I)>(address)(a[0], a[1]);
    case 3:
      return As<I(REFHOST_CDECL*)(I, I, I)>(address)(a[0], a[1], a[2]);
    case 4:
      return As<I(REFHOST_CDECL*)(I, I, I, I)>(address)(a[0], a[1], a[2], a[3]);
    case 5:
      return As<I(REFHOST_CDECL*)(I, I, I, I, I)>(address)(a[0], a[1], a[2], a[3], a[4]);
    case 6:
      return As<I(REFHOST_CDECL*)(I, I, I, I, I, I)>(address)(a[0], a[1], a[2], a[3], a[4], a[5]);
    case 7:
      return As<I(REFHOST_CDECL*)(I, I, I, I, I, I, I)>(address)(a[0], a[1], a[2], a[3], a[4], a[5],
                                                                 a[6]);
    case 8:
      return As<I(REFHOST_CDECL*)(I, I, I, I, I, I, I, I)>(address)(a[0], a[1], a[2], a[3], a[4],
                                                                    a[5], a[6], a[7]);
    default:
      return 0;
  }
}

}  // namespace refhost
