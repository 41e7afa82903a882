// The product as the native benchmark programs reach it: the plug-in's code
// linked in and bound, through its own load hook, to the reference store
// linked in as well.
#pragma once

#include "refhost/runner/command_set.h"
#include "workloads.h"

namespace bench {

// The rows of the plug-in's command table, each resolved to the export linked
// in, as the runner reads them from the DLL.
const refhost::CommandSet& NativeCommands();

// Binds the plug-in and fills `product`; false (said on stderr) when the
// plug-in did not bind.
bool BindNativeProduct(Product* product);

}  // namespace bench
