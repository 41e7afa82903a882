#pragma once

namespace plugin {

// Gives the stack protector's guard a value of this process and load; the
// entry point calls it first at process attach.
void SeedStackGuard();

}  // namespace plugin
