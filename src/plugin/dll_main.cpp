// Library entry of the plug-in. It runs under the loader lock, so it loads
// and releases no library and calls nothing of USER32 or of a C runtime (the
// DLL links none): binding waits for the load hook or "MBC Initialized".
#include <windows.h>

#include "plugin/lifecycle.h"
#include "plugin/stack_guard_win32.h"

// Never guarded by the stack protector: the guard is seeded here.
extern "C" __attribute__((no_stack_protector)) BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason,
                                                                   LPVOID) {
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      plugin::SeedStackGuard();
      // All state is static storage, zero at load. Threads the host starts
      // and ends need nothing from the plug-in: no more calls for them.
      DisableThreadLibraryCalls(instance);
      break;
    case DLL_PROCESS_DETACH:
      plugin::OnProcessDetach();
      break;
    default:
      break;
  }
  return TRUE;
}
