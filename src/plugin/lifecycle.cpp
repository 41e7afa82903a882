#include "plugin/lifecycle.h"

#include "numbering/allocator.h"
#include "plugin/binding.h"

namespace plugin {

void OnProcessDetach() {
  ForgetBinding();
  numbering::ResetNumbers();
}

}  // namespace plugin

// The host calls this before it unloads the plug-in. Memblocks are the host's
// and numbers stay valid while the library stays loaded, so there is nothing
// to undo.
extern "C" std::int32_t HOST_CDECL Destructor() {
  return 0;
}
