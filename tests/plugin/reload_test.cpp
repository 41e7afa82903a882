// A suite reloads the plug-in for every script, in one process: hundreds of
// reloads must leave no library, no memory and no window behind, whether
// the unload hook ran or a command was cut off and the library was released
// without it. A program of its own, so that no other copy of the plug-in is
// in the process.
#include <gtest/gtest.h>
#include <windows.h>

#include <sstream>

#include "refhost/runner/export_call.h"
#include "refhost/runner/host_session.h"

namespace {

// The process's committed private memory, region by region (Wine leaves the
// counters of GetProcessMemoryInfo at 0).
SIZE_T PrivateBytes() {
  SIZE_T bytes = 0;
  MEMORY_BASIC_INFORMATION region;
  for (const char* at = nullptr; VirtualQuery(at, &region, sizeof region) == sizeof region;
       at = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
    if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) bytes += region.RegionSize;
  }
  return bytes;
}

BOOL CALLBACK CountOwn(HWND window, LPARAM count) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  *reinterpret_cast<int*>(count) += process == GetCurrentProcessId();
  return TRUE;
}

int TopLevelWindows() {
  int count = 0;
  EnumWindows(&CountOwn, reinterpret_cast<LPARAM>(&count));
  return count;
}

TEST(Reload, LeavesNoLibraryMemoryOrWindowBehind) {
  refhost::HostSession session(refhost::kPluginFileName, "beside the test program");
  std::ostringstream out;
  std::string error;
  ASSERT_TRUE(session.Open(out, &error)) << error;
  // A script's worth: a memblock made (the allocator and the store take
  // memory), then the plug-in let go as a suite lets it go.
  const auto cycle = [&](bool cutOff) {
    std::ostringstream transcript;
    ASSERT_TRUE(session.Start(transcript, &error)) << error;
    const refhost::PluginCommand* make = session.Plugin().Find("MBC Make Memblock", 1);
    ASSERT_NE(make, nullptr);
    EXPECT_EQ(refhost::CallExport(make->address, {4096}), 1);
    EXPECT_TRUE(session.Finish(cutOff, transcript)) << transcript.str();
    EXPECT_EQ(GetModuleHandleA(refhost::kPluginFileName), nullptr);
  };
  // The heap and Wine's caches settle first.
  for (int i = 0; i < 20; ++i) cycle(i % 2 == 0);
  const SIZE_T before = PrivateBytes();
  const int windows = TopLevelWindows();
  for (int i = 0; i < 300; ++i) cycle(i % 2 == 0);
  // A leak of a page a reload would be 1.2 MB here.
  EXPECT_LT(PrivateBytes(), before + 256 * 1024) << "private bytes from " << before;
  EXPECT_EQ(TopLevelWindows(), windows);
  EXPECT_TRUE(session.Close(out)) << out.str();
  EXPECT_EQ(GetModuleHandleA("RuzazUrovuv.dll"), nullptr);
}

}  // namespace
