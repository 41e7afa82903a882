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

// Behaviour cases as rows: a few script steps to set the scene, one command
// to probe, and what the probe must do, compared as text so that a failing
// row shows the whole difference. Run against the target (target.h), so that
// the same rows check the linked code natively and the DLL under Wine.
namespace cases {

struct Case {
  const char* name;
  // Steps separated by ";": runner script lines (commands, directives,
  // variables; see refhost/runner/script_parser.h), where a trailing "=> R" also
  // expects the line's result to be R ("=> R1, R2, R3": the line three times,
  // with these results), and "marked N, W, H, DEPTH" puts an image memblock N
  // into the store whose pixel (x, y) holds 0x1000 + 16x + y, "made A, B" puts
  // memblocks A to B of 4 zero bytes there, as a script's own.
  const char* setup;
  // One command line with literal arguments ("call "EXPORT", ..." for an
  // export without a row), optionally ending "=> R".
  const char* probe;
  // What the probe must do, one of:
  //   "MemExists(1) -> 0; ..."  its host calls ("" for none)
  //   "7 plots: 1,2 - 3,4*5"    how many plots it made into its memblock and the
  //                             pixel each wrote, "-" where one wrote nothing,
  //                             "*n" for n in a row
  // where "start ... end" or "start ..." compares only the ends.
  //   "pixels N: a b*2 / c d"   image memblock N afterwards, row by row: "x,y"
  //                             for a marked value, "-" for 0, else hex, "*n"
  //                             for n in a row
  const char* want;
  // Steps run after the probe, as `setup`; their expectations must hold too.
  const char* after = "";
};

// Runs the case against a freshly loaded and bound plug-in; "" when it holds,
// else what went wrong.
std::string Check(const Case& c);

// Runs steps as Case::setup describes them; "" when all ran and held, else the
// runner's transcript.
std::string Steps(const std::string& steps);

// "pixels N: ..." as Case::want describes it.
std::string Pixels(std::int32_t n);

}  // namespace cases

// Hostile command sequences: each step one of the plug-in's commands (or
// PrepareMeshMemblock, or a host-side change to a memblock header) with
// arguments drawn mostly from the values that break arithmetic, at the ends
// of the 32-bit range among them. Only the work is bounded (a filled box of
// 2^32 x 2^32 pixels is valid input but would never finish): spans and sizes
// stay small while their positions may lie anywhere.
namespace hostile {

// Runs the command it is given and returns its result; a test may change
// the floating-point mode around it.
using Around = std::function<std::int32_t(const std::function<std::int32_t()>& command)>;

// Takes one step, drawing the numbers it needs from `next`, against the
// target (target.h); returns the command's result (0 for a host-side step).
std::int32_t Step(const std::function<std::uint32_t()>& next, const Around& around = nullptr);

// Resources every sequence starts with: bitmap 1, image 2, mesh 3, sound 4
// and array 5, in a fresh store with the plug-in bound.
void Start();

}  // namespace hostile
