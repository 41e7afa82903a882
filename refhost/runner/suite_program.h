// mbc_runner's suite form (command_line.h): the host set up once, the
// scripts found (suite_scripts.h) and each run in a fresh plug-in
// (host_session.h), the summary printed (suite_runner.h).
#pragma once

#include <string>

#include "refhost/runner/command_line.h"

namespace refhost {

// Whether the command line asks for a suite.
bool RunsAsSuite(const CommandLine& line);

// Runs the suite; its exit status. `pluginFile` as the runner found it,
// `looked` where.
int RunSuiteProgram(const CommandLine& line, const std::string& pluginFile,
                    const std::string& looked);

}  // namespace refhost
