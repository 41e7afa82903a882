#include "refhost/runner/suite_program.h"

#include <iostream>

#include "refhost/runner/file_names.h"
#include "refhost/runner/host_session.h"
#include "refhost/runner/suite_scripts.h"

namespace refhost {

bool RunsAsSuite(const CommandLine& line) {
  return line.suite || IsFolder(line.script);
}

int RunSuiteProgram(const CommandLine& line, const std::string& pluginFile,
                    const std::string& looked) {
  HostSession session(pluginFile, looked);
  std::string error;
  if (!session.Open(std::cout, &error)) {
    std::cout << "mbc_runner: " << Escaped(error) << "\n";
    return kRunSetUpFailed;
  }
  SuiteOptions options;
  options.runner = line.options;
  options.report = line.report;
  options.junit = line.junit;
  return RunSuite(FindSuiteScripts(line.operands), session, options, std::cout);
}

}  // namespace refhost
