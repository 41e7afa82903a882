// Redirects one imported function of a loaded module, the way a host or a test
// stands in for a system call that the module makes.
#pragma once

#include <windows.h>

namespace refhost {

// Replaces the address through which `module` calls `function` of `library`
// (library name compared without case) with `replacement`. Returns the address
// it replaced, or null when the module imports no such function by name.
void* PatchImport(HMODULE module, const char* library, const char* function, void* replacement);

}  // namespace refhost
