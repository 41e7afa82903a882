// The host as a suite has it: the companion and the core loaded once and
// kept, as the host keeps them; for each script the store emptied and the
// plug-in loaded afresh, its command table read, its message boxes caught
// and its load hook called; after it the unload hook called (unless a
// command was cut off midway) and the library released and seen gone, so
// that nothing one script does reaches the next.
#pragma once

#include <windows.h>

#include <string>

#include "refhost/companion/companion_client.h"
#include "refhost/runner/plugin_module.h"
#include "refhost/runner/suite_runner.h"

namespace refhost {

class HostSession : public SuiteHost {
 public:
  // `pluginFile` as the runner found it (main.cpp), `looked` where.
  HostSession(std::string pluginFile, std::string looked)
      : pluginFile_(std::move(pluginFile)), looked_(std::move(looked)) {}
  ~HostSession() override;

  // Loads the host libraries, telling `out` of one that is missing; false
  // with the reason when the companion is not the stand-in.
  bool Open(std::ostream& out, std::string* error);

  bool Start(std::ostream& transcript, std::string* error) override;
  const CommandSet& Plugin() const override { return plugin_.Commands(); }
  const CompanionClient* Host() const override { return companion_ ? &host_ : nullptr; }
  bool Finish(bool cutOff, std::ostream& transcript) override;

  bool Close(std::ostream& out) override;

 private:
  std::string pluginFile_;
  std::string looked_;
  HMODULE companion_ = nullptr;
  HMODULE core_ = nullptr;
  CompanionClient host_;
  PluginModule plugin_;
};

}  // namespace refhost
