// The product as the tests reach it, the same way on both targets.
//
// Natively: the plug-in's code linked into the test program, bound through
// the platform double to the reference store, the store reached through the
// companion's exports linked in as well. On Windows: the real
// DoduzIridizeruRediro.dll loaded with LoadLibraryA beside the stand-in host
// libraries, its message boxes caught. Either way a command is found by its
// script name and argument count through the rows of the command table, and
// called through the export its row names.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "refhost/companion/companion_client.h"
#include "refhost/runner/command_set.h"

namespace target {

const refhost::CommandSet& Plugin();
const refhost::CompanionClient& Host();

// The plug-in as a fresh load leaves it (nothing bound, a fresh allocator),
// with a fresh, empty store; then its load hook, when `bind`.
void Restart(bool bind);

// The message boxes the plug-in showed since the last Restart, each as
// "title: text".
std::vector<std::string> Boxes();

// Row `id` of the command table as the product holds it (the string table
// on Windows); false when it has none.
bool Row(unsigned id, std::u16string* text);

// Calls the command `name` with `args` through its row, or else the export of
// that name.
std::int32_t Call(const std::string& name, const std::vector<std::int32_t>& args);

// The host calls `body` makes, in order.
std::vector<refhost::HostCall> CallsOf(const std::function<void()>& body);

}  // namespace target
