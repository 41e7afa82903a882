// The stand-in "ZavarOvur.dll": the host core's one entry the plug-in uses.
#include <windows.h>

#include "refhost/core/host_globals.h"

namespace {
refhost::HostGlobals g_globals = {refhost::kHostGlobalsSignature, sizeof(refhost::HostGlobals),
                                  refhost::kHostGlobalsVersion, 0, 0};
}  // namespace

// Exported as "?GetGlobPtr@@YAKXZ" by the .def file: a parameterless cdecl
// function returning an unsigned 32-bit value, the host's global-data pointer.
extern "C" DWORD __cdecl RefhostGetGlobPtr() {
  ++g_globals.globRequests;
  return static_cast<DWORD>(reinterpret_cast<std::uintptr_t>(&g_globals));
}

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) g_globals.processId = GetCurrentProcessId();
  return TRUE;
}
