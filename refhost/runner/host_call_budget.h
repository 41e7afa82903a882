// The host calls a run may make: at most so many for one command, and at most
// so many for the whole run, so that every run ends however its lines are
// written. The store's observer spends one call at a time, so a call costs
// one count and one comparison: the lower of the two limits is worked out
// when a command starts.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>

namespace refhost {

class HostCallBudget {
 public:
  HostCallBudget(std::uint64_t perCommand, std::uint64_t perRun)
      : perCommand_(perCommand), perRun_(perRun), limit_(std::min(perCommand, perRun)) {}

  // A command starts: its own count begins at 0.
  void StartCommand() {
    before_ += command_;
    command_ = 0;
    limit_ = std::min(perCommand_, perRun_ - std::min(before_, perRun_));
  }

  // Counts one host call; false once either limit is passed.
  bool Spend() { return ++command_ <= limit_; }

  std::uint64_t CommandCalls() const { return command_; }

  // What was passed, once Spend has said so: "the command made more than 5
  // host calls; stopped (--max-host-calls sets the limit)".
  std::string Passed() const;

 private:
  std::uint64_t perCommand_;
  std::uint64_t perRun_;
  std::uint64_t before_ = 0;   // the calls of the run's earlier commands
  std::uint64_t command_ = 0;  // of the command running now
  std::uint64_t limit_;        // what the command running now may make
};

}  // namespace refhost
