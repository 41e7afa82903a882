#include "e2e_support.h"

namespace e2e {
namespace {

constexpr DWORD kChildTimeoutMs = 60000;
constexpr UINT kTimedOut = 0xDEAD;

std::string BaseName(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Deletes the files of a flat folder and the folder itself.
void RemoveFolder(const std::string& folder) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        DeleteFileA((folder + "\\" + found.cFileName).c_str());
      }
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(folder.c_str());
}

}  // namespace

std::string ProgramFolder() {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  const std::string program(path, length);
  return program.substr(0, program.find_last_of("\\/"));
}

std::string MakeScenarioFolder(const std::string& name, const std::vector<std::string>& files,
                               std::string* error) {
  const std::string scenarios = ProgramFolder() + "\\scenarios";
  const std::string folder = scenarios + "\\" + name;
  CreateDirectoryA(scenarios.c_str(), nullptr);
  RemoveFolder(folder);
  if (!CreateDirectoryA(folder.c_str(), nullptr)) {
    *error = "cannot create " + folder;
    return "";
  }
  for (const std::string& file : files) {
    const std::string source = ProgramFolder() + "\\" + file;
    if (!CopyFileA(source.c_str(), (folder + "\\" + BaseName(file)).c_str(), FALSE)) {
      *error = "cannot copy " + source;
      return "";
    }
  }
  return folder;
}

ProgramRun RunProgram(const std::string& folder, const std::string& program,
                      const std::string& arguments) {
  ProgramRun run;
  SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inheritable, 0)) return run;
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = writeEnd;
  startup.hStdError = writeEnd;
  PROCESS_INFORMATION process{};
  std::string commandLine = "\"" + folder + "\\" + program + "\" " + arguments;
  run.started = CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr,
                               folder.c_str(), &startup, &process) != 0;
  CloseHandle(writeEnd);
  if (run.started) {
    // A child that waits on something (a real message box, say) must not
    // stall the suite: it is ended after kChildTimeoutMs and reported.
    const DWORD start = GetTickCount();
    for (;;) {
      DWORD available = 0;
      while (PeekNamedPipe(readEnd, nullptr, 0, nullptr, &available, nullptr) && available != 0) {
        char buffer[4096];
        DWORD got = 0;
        if (!ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) || got == 0) break;
        run.output.append(buffer, got);
      }
      if (WaitForSingleObject(process.hProcess, 20) == WAIT_OBJECT_0) {
        if (PeekNamedPipe(readEnd, nullptr, 0, nullptr, &available, nullptr) && available != 0) {
          continue;
        }
        break;
      }
      if (GetTickCount() - start > kChildTimeoutMs) {
        TerminateProcess(process.hProcess, kTimedOut);
        WaitForSingleObject(process.hProcess, INFINITE);
        run.output += "\n[ended after " + std::to_string(kChildTimeoutMs / 1000) + " s]\n";
        break;
      }
    }
    GetExitCodeProcess(process.hProcess, &run.exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  CloseHandle(readEnd);
  // Text written by a Windows program ends its lines with CR LF.
  std::string text;
  for (char c : run.output) {
    if (c != '\r') text.push_back(c);
  }
  run.output = text;
  return run;
}

}  // namespace e2e
