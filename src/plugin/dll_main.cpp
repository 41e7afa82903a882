// Library entry of the plug-in.
#include <windows.h>

#include "plugin/lifecycle.h"
#include "plugin/platform_win32.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      plugin::OnProcessAttach();
      break;
    case DLL_PROCESS_DETACH:
      // A null `reserved` means FreeLibrary is unloading us; otherwise the
      // process is ending and other libraries may already be gone.
      plugin::OnProcessDetach(plugin::SystemPlatform(), reserved == nullptr);
      break;
    default:  // thread attach and detach: nothing to do
      break;
  }
  return TRUE;
}
