#include "refhost/runner/host_call_budget.h"

#include "refhost/runner/runner_text.h"

namespace refhost {

std::string HostCallBudget::Passed() const {
  if (command_ > perCommand_) {
    return "the command made more than " + Plural(perCommand_, "host call") +
           "; stopped (--max-host-calls sets the limit)";
  }
  return "the run made more than " + Plural(perRun_, "host call") +
         " in all; stopped (--max-run-host-calls sets the limit)";
}

}  // namespace refhost
