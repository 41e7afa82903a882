// The stack protector's guard and failure path in the DLL, which links no
// runtime to bring them (-fstack-protector-strong, src/plugin/CMakeLists.txt).
// Functions with a buffer on the stack (the ring's samples, the stretch's
// columns, the warning box's windows) keep the guard beside their return
// address and check it before they return.
#include "plugin/stack_guard_win32.h"

#include <windows.h>

#include <cstdint>

extern "C" {
// Read by every guarded function's entry and exit.
std::uintptr_t __stack_chk_guard = 0x2B992DDF;

// A frame's guard was overwritten: its return address cannot be trusted, so
// nothing of the host runs again (no handler, no unwinding), as the
// platform's own compilers end a process on a broken stack cookie.
[[noreturn]] void __stack_chk_fail() {
  TerminateProcess(GetCurrentProcess(), STATUS_STACK_BUFFER_OVERRUN);
  __builtin_unreachable();
}
}

namespace plugin {

// From what differs between processes and loads, as the platform's runtime
// seeds its cookie; the address of a local differs with the stack's random
// base. Called from the entry point before any guarded function can run, and
// never guarded itself: the guard changes under it.
__attribute__((no_stack_protector, noinline)) void SeedStackGuard() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  std::uintptr_t seed = now.dwLowDateTime ^ now.dwHighDateTime;
  seed ^= GetCurrentProcessId() ^ GetCurrentThreadId() ^ GetTickCount();
  seed ^= counter.LowPart ^ static_cast<std::uintptr_t>(counter.HighPart);
  seed ^= reinterpret_cast<std::uintptr_t>(&seed);
  __stack_chk_guard ^= seed;
}

}  // namespace plugin
