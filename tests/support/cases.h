// Behaviour cases as rows: a few script steps to set the scene, one command
// to probe, and what the probe must do, compared as text so that a failing
// row shows the whole difference. Run against the target (target.h), so that
// the same rows check the linked code natively and the DLL under Wine.
// docs/testing.md ("Writing a row") shows each kind of row annotated.
#pragma once

#include <cstdint>
#include <string>

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
