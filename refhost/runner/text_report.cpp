#include "refhost/runner/text_report.h"

#include "refhost/runner/file_names.h"
#include "refhost/runner/runner_text.h"

namespace refhost {
namespace {

std::string Indented(const LineReport& line) {
  return std::string(2 * line.depth, ' ') + line.source;
}

std::string Times(std::uint64_t n, const char* one, const char* more) {
  return std::to_string(n) + " " + (n == 1 ? one : more);
}

// "note: ..." under a line; summed up over a loop, with how many of the
// line's runs it applied to and where first.
std::string NoteLine(const LineNote& note, const LineReport& line) {
  std::string text = "note: " + note.text;
  if (line.runs <= 1 && note.first.empty()) return text;
  text += " (";
  text += note.times == line.runs
              ? (line.runs == 1 ? "its one run" : "each of its " + Times(line.runs, "run", "runs"))
              : std::to_string(note.times) + " of its " + Times(line.runs, "run", "runs");
  return text + (note.first.empty() ? "" : ", the first with " + note.first) + ")";
}

std::string HostCalls(const LineReport& line) {
  return line.showsHostCalls ? "  [" + Plural(line.hostCalls, "host call") + "]" : "";
}

}  // namespace

std::string LoopSummary(const LineReport& line) {
  if (line.kind == LineKind::kNext || line.kind == LineKind::kEndWhile ||
      line.kind == LineKind::kElse || line.kind == LineKind::kEndIf) {
    return "";
  }
  if (line.runs == 0) return "not run";
  switch (line.kind) {
    case LineKind::kFor:
      return Times(line.passes, "pass", "passes") +
             (line.runs > 1 ? " in " + Times(line.runs, "run", "runs") : "");
    case LineKind::kWhile:  // its runs are the checks of its condition
      return Times(line.passes, "pass", "passes");
    case LineKind::kIf:
    case LineKind::kElseIf:
      return "taken " + std::to_string(line.passes) + " of " + Times(line.runs, "time", "times");
    default:
      break;
  }
  if (line.held + line.failed > 0) {
    return std::to_string(line.held) + " held" +
           (line.failed > 0 ? ", " + std::to_string(line.failed) + " FAILED" : "") +
           (line.failuresNotShown > 0
                ? " (" + std::to_string(line.failuresNotShown) + " of them not shown)"
                : "") +
           HostCalls(line);
  }
  return "ran " + Times(line.runs, "time", "times") +
         (line.last.empty() ? "" : ", the last " + line.last) + HostCalls(line);
}

void TextReport::Text(const std::string& text) {
  started_ = false;
  out_ << text << "\n";
}

void TextReport::Starting(const LineReport& line) {
  out_ << "  " << (line.where.empty() ? Indented(line) : line.where + ": " + line.source) << "\n";
  started_ = true;
}

void TextReport::Called(const HostCall& call) {
  out_ << "      " << Describe(call, true) << "\n";
}

void TextReport::Ran(const LineReport& line) {
  std::string text = "  ";
  if (!started_) {
    text +=
        Padded(line.where.empty() ? Indented(line) : line.where + ": " + line.source, kEchoWidth);
  }
  started_ = false;
  if (!line.said.empty()) text += " " + line.said;
  out_ << text << HostCalls(line) << "\n";
  for (const std::string& detail : line.details) out_ << "      " << detail << "\n";
  for (const LineNote& note : line.notes) out_ << "      note: " << note.text << "\n";
}

void TextReport::LoopEnded(const std::vector<LineReport>& lines) {
  started_ = false;
  for (const LineReport& line : lines) {
    const std::string summary = LoopSummary(line);
    out_ << "  "
         << (summary.empty() ? Indented(line) : Padded(Indented(line), kEchoWidth) + " " + summary)
         << "\n";
    for (const LineNote& note : line.notes) {
      out_ << "      " << std::string(2 * line.depth, ' ') << NoteLine(note, line) << "\n";
    }
  }
}

void TextReport::Stopped(const std::string& where, const std::string& why) {
  started_ = false;
  out_ << where << ": " << Escaped(why) << "\n";
}

void TextReport::Refused(const std::vector<std::string>& shown, std::size_t count) {
  for (const std::string& mistake : shown) out_ << Escaped(mistake) << "\n";
  if (count > shown.size()) out_ << "and " << count - shown.size() << " more\n";
  out_ << Plural(count, "mistake") << " found before line 1; no line was run\n";
}

void TextReport::Ended(const std::vector<std::string>& goldensWritten, std::size_t failures) {
  if (!goldensWritten.empty()) {
    out_ << Plural(goldensWritten.size(), "golden file") << " written:\n";
    for (const std::string& file : goldensWritten) out_ << "  " << Escaped(file) << "\n";
  }
  if (failures != 0) out_ << Plural(failures, "expectation") << " failed\n";
}

}  // namespace refhost
