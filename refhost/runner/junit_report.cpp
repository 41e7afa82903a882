#include "refhost/runner/junit_report.h"

#include <cstdio>

#include "refhost/runner/runner_text.h"

namespace refhost {
namespace {

std::string Attribute(const char* name, const std::string& value) {
  return std::string(" ") + name + "=\"" + XmlText(value) + "\"";
}

std::string Seconds(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", seconds);
  return text;
}

// A transcript kept to its first mebibyte: a build server shows it, the
// whole one is in the script's output folder.
constexpr std::size_t kLongestOutput = 1 << 20;

}  // namespace

std::string XmlText(const std::string& text) {
  std::string out;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '&':
        out += "&amp;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        if ((byte < 0x20 && c != '\n' && c != '\t') || byte >= 0x7F) {
          out += "\\x" + Hex(byte, 2).substr(2);
        } else {
          out += c;
        }
    }
  }
  return out;
}

std::string JUnitXml(const std::vector<ScriptResult>& results) {
  std::size_t failures = 0, errors = 0;
  double seconds = 0;
  for (const ScriptResult& r : results) {
    failures += r.status == kRunExpectFailed;
    errors += r.status >= kRunScriptError;
    seconds += r.seconds;
  }
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuites" +
                    Attribute("tests", std::to_string(results.size())) +
                    Attribute("failures", std::to_string(failures)) +
                    Attribute("errors", std::to_string(errors)) +
                    Attribute("time", Seconds(seconds)) + ">\n<testsuite" +
                    Attribute("name", "mbc_runner") +
                    Attribute("tests", std::to_string(results.size())) +
                    Attribute("failures", std::to_string(failures)) +
                    Attribute("errors", std::to_string(errors)) + Attribute("skipped", "0") +
                    Attribute("time", Seconds(seconds)) + ">\n";
  for (const ScriptResult& r : results) {
    const std::string& name = r.script.name;
    xml += "  <testcase" + Attribute("classname", r.script.group) +
           Attribute("name", name.substr(name.find_last_of('/') + 1)) + Attribute("file", name) +
           Attribute("time", Seconds(r.seconds)) + ">\n";
    if (r.status == kRunExpectFailed) {
      xml += "    <failure" + Attribute("message", r.why) + Attribute("type", "expectation") + ">" +
             XmlText(std::to_string(r.failed) + " of " + std::to_string(r.held + r.failed) +
                     " expectations failed") +
             "</failure>\n";
    } else if (r.status != kRunPassed) {
      xml += "    <error" + Attribute("message", r.why) +
             Attribute("type", r.cutOff ? "stopped" : "not run") + "/>\n";
    }
    const std::string output = r.transcript.size() > kLongestOutput
                                   ? r.transcript.substr(0, kLongestOutput) + "\n[cut short]\n"
                                   : r.transcript;
    xml += "    <system-out>" + XmlText(output) + "</system-out>\n  </testcase>\n";
  }
  return xml + "</testsuite>\n</testsuites>\n";
}

}  // namespace refhost
