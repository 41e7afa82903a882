// Folders and child processes for the end-to-end tests: each binding scenario
// runs in a process of its own, started from a folder that holds exactly the
// libraries the scenario needs, since a library loaded by file name is looked
// for beside the program first.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

// The folder of the running test program, where the build placed the plug-in,
// the stand-in host libraries and the helper programs.
std::string ProgramFolder();

// A fresh, empty folder <program folder>\scenarios\<name>, with a copy of each
// of `files` (paths relative to the program folder) under its base name.
// Returns the folder, or "" when it could not be made (the reason in `error`).
std::string MakeScenarioFolder(const std::string& name, const std::vector<std::string>& files,
                               std::string* error);

struct ProgramRun {
  bool started = false;
  DWORD exitCode = 0;
  std::string output;  // what it wrote to standard output and error
};

// Runs `folder`\`program` with `arguments`, in `folder`, and waits for it;
// one still running after a minute is ended with exit status 0xDEAD.
ProgramRun RunProgram(const std::string& folder, const std::string& program,
                      const std::string& arguments);

}  // namespace e2e
