#include "refhost/runner/host_session.h"

#include "refhost/runner/message_box_capture.h"

namespace refhost {
namespace {

std::ostream* g_transcript = nullptr;  // of the script whose plug-in shows boxes

void ShowBoxInTranscript(const MessageBoxRecord& box) {
  if (g_transcript != nullptr) *g_transcript << MessageBoxLine(box) << "\n";
}

}  // namespace

HostSession::~HostSession() {
  g_transcript = nullptr;
}

bool HostSession::Open(std::ostream& out, std::string* error) {
  companion_ = LoadLibraryA("RuzazUrovuv.dll");
  if (companion_ == nullptr) {
    out << "host companion RuzazUrovuv.dll absent: the directives that need it are refused\n";
  } else if (!host_.Resolve([this](const char* name) {
               return reinterpret_cast<const void*>(GetProcAddress(companion_, name));
             })) {
    char path[MAX_PATH];
    *error = std::string(path, GetModuleFileNameA(companion_, path, MAX_PATH)) +
             " is not the stand-in: it lacks " + host_.MissingExport();
    return false;
  }
  core_ = LoadLibraryA("ZavarOvur.dll");
  if (core_ == nullptr) out << "host core ZavarOvur.dll absent\n";
  SetMessageBoxObserver(&ShowBoxInTranscript);
  return true;
}

bool HostSession::Start(std::ostream& transcript, std::string* error) {
  g_transcript = &transcript;
  if (companion_ != nullptr) host_.ResetStore();
  // A plug-in still in the process would not start afresh.
  if (GetModuleHandleA(kPluginFileName) != nullptr) {
    *error = std::string(kPluginFileName) + " is still loaded from an earlier script";
    return false;
  }
  if (!plugin_.Load(pluginFile_.c_str(), error)) {
    *error += "; " + looked_;
    return false;
  }
  ClearMessageBoxes();
  if (!CaptureMessageBoxes(plugin_.Handle())) {
    *error = "the plug-in does not import MessageBoxA; its boxes could not be caught";
    plugin_.Unload();
    return false;
  }
  transcript << "loaded " << kPluginFileName << ": " << plugin_.Commands().Commands().size()
             << " commands in its command table\n";
  plugin_.CallLoadHook();
  transcript << "load hook called\n";
  return true;
}

bool HostSession::Finish(bool cutOff, std::ostream& transcript) {
  if (cutOff) {
    transcript << "plug-in released without its unload hook: a command was cut off midway";
  } else {
    transcript << "unload hook returned " << plugin_.CallUnloadHook();
  }
  if (companion_ != nullptr) transcript << "; " << host_.MemblockCount() << " memblock(s) left";
  const bool unloaded = plugin_.Unload();
  transcript << (unloaded ? "\nplug-in unloaded\n" : "\nplug-in did NOT unload\n");
  g_transcript = nullptr;
  return unloaded;
}

bool HostSession::Close(std::ostream& out) {
  bool released = true;
  for (const auto& [handle, name] :
       {std::pair{companion_, "RuzazUrovuv.dll"}, {core_, "ZavarOvur.dll"}}) {
    if (handle == nullptr) continue;
    FreeLibrary(handle);
    if (GetModuleHandleA(name) == nullptr) continue;
    out << name << " is still loaded: the plug-in kept a reference to it\n";
    released = false;
  }
  companion_ = core_ = nullptr;
  return released;
}

}  // namespace refhost
