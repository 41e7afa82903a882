// What the two targets share: a command called through its row, and the host
// calls a body makes.
#include "target.h"

#include <vector>

#include "refhost/runner/export_call.h"

namespace target {
namespace {

void REFHOST_CDECL Collect(const refhost::HostCall* call, void* calls) {
  static_cast<std::vector<refhost::HostCall>*>(calls)->push_back(*call);
}

}  // namespace

std::int32_t Call(const std::string& name, const std::vector<std::int32_t>& args) {
  const refhost::PluginCommand* command = Plugin().Find(name, args.size());
  return refhost::CallExport(command ? command->address : Plugin().Export(name), args);
}

std::vector<refhost::HostCall> CallsOf(const std::function<void()>& body) {
  std::vector<refhost::HostCall> calls;
  Host().SetCallObserver(&Collect, &calls);
  body();
  Host().SetCallObserver(nullptr, nullptr);
  return calls;
}

}  // namespace target
