// The host calls a run may make: at most so many for one command, and at most
// so many for the whole run, so that every run ends however its lines are
// written. The store's observer spends one call at a time.
#pragma once

#include <cstdint>
#include <string>

namespace refhost {

class HostCallBudget {
 public:
  HostCallBudget(std::uint64_t perCommand, std::uint64_t perRun)
      : perCommand_(perCommand), perRun_(perRun) {}

  // A command starts: its own count begins at 0.
  void StartCommand() { command_ = 0; }

  // Counts one host call; false once either limit is passed.
  bool Spend() {
    ++command_;
    ++run_;
    return command_ <= perCommand_ && run_ <= perRun_;
  }

  std::uint64_t CommandCalls() const { return command_; }

  // What was passed, once Spend has said so: "the command made more than 5
  // host calls; stopped (--max-host-calls sets the limit)".
  std::string Passed() const;

 private:
  std::uint64_t perCommand_;
  std::uint64_t perRun_;
  std::uint64_t command_ = 0;
  std::uint64_t run_ = 0;
};

}  // namespace refhost
