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

// Runs `program` with `args` under callgrind, waits for it, and gives the
// instruction count dumped under each label. False, with the reason in
// `error`, when valgrind is missing, the program fails or dumps nothing.
bool CountUnderCallgrind(const std::string& program, const std::vector<std::string>& args,
                         std::map<std::string, std::uint64_t>* counts, std::string* error);

// The file of the running program, to run it again.
std::string ThisProgram();

}  // namespace bench
