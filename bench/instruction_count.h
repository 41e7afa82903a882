// Instruction counts of single runs, taken with callgrind: a deterministic
// figure beside the timed one. A program runs itself again under callgrind
// with collection off; there it switches collection on around each counted
// run alone and dumps the count under a label, so that neither the setup nor
// the other runs are counted.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace bench {

// True in a process running under valgrind.
bool UnderValgrind();

// In that process: one run of `body`, its instructions dumped under `label`.
void CountOneRun(const std::string& label, void (*body)());

// Instructions by the source file of the function that ran them (inlined
// code counts for the function it was inlined into; "???" where the program
// has no line tables).
using CountsByFile = std::map<std::string, std::uint64_t>;

// Runs `program` with `args` under callgrind, waits for it, and gives the
// instruction count dumped under each label, and when `byFile` is given the
// same split by file. False, with the reason in `error`, when valgrind is
// missing, the program fails or dumps nothing.
bool CountUnderCallgrind(const std::string& program, const std::vector<std::string>& args,
                         std::map<std::string, std::uint64_t>* counts, std::string* error,
                         std::map<std::string, CountsByFile>* byFile = nullptr);

// The file of the running program, to run it again.
std::string ThisProgram();

}  // namespace bench
