// A suite's results as JUnit XML, the form build servers read: one
// testsuite, a testcase per script with its time, a failure for a failed
// expectation, an error for a script that could not be run, and the
// script's transcript as its system-out.
#pragma once

#include <string>
#include <vector>

#include "refhost/runner/suite_runner.h"

namespace refhost {

std::string JUnitXml(const std::vector<ScriptResult>& results);

// `text` fit for XML: markup characters as entities, and every byte that
// XML 1.0 does not allow, or that is not ASCII, as "\xNN".
std::string XmlText(const std::string& text);

}  // namespace refhost
