// The plug-in loaded into the test program as the host loads it, beside the
// stand-in host libraries, with its message boxes caught, and bound through
// its load hook. Every command is reached through the command table.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "refhost/companion/companion_client.h"
#include "refhost/runner/plugin_module.h"

class LoadedPlugin : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Loads the plug-in (again) and catches its boxes; no hook is called.
  void LoadPlugin();

  // Calls the command that a script names `name` with these arguments,
  // through the export its table row gives.
  std::int32_t Command(const std::string& name, const std::vector<std::int32_t>& args = {});
  // Calls an export that has no row (PrepareMeshMemblock).
  std::int32_t Export(const char* name, const std::vector<std::int32_t>& args);

  // The host calls made by `body`, in order.
  template <typename Body>
  std::vector<refhost::HostCall> CallsOf(Body body) {
    host_.ClearLog();
    host_.StartLog();
    body();
    host_.StopLog();
    std::vector<refhost::HostCall> calls = host_.Calls();
    host_.ClearLog();
    return calls;
  }

  // Little-endian 32-bit value at `offset` of memblock `n`, or 0xDEAD when
  // the memblock is too short.
  std::int32_t Dword(std::int32_t n, std::size_t offset) const;

  refhost::CompanionClient host_;
  refhost::PluginModule plugin_;
};
