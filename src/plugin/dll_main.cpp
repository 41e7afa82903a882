// Library entry of the plug-in.
#include <windows.h>

#include "numbering/allocator.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) numbering::ReadyFreeStack();
  return TRUE;
}
