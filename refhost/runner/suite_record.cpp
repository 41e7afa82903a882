#include "refhost/runner/suite_record.h"

#include "refhost/runner/file_names.h"

namespace refhost {

void ScriptRecord::Text(const std::string& text) {
  text_.Text(text);
  lastText_ = text;
  entries_.push_back({RecordEntry::Kind::kText, text, {}});
}

void ScriptRecord::Starting(const LineReport& line) {
  text_.Starting(line);
}

void ScriptRecord::Called(const HostCall& call) {
  text_.Called(call);
}

void ScriptRecord::Ran(const LineReport& line) {
  text_.Ran(line);
  // A line inside a loop (`where` set) is counted when its loop is summed up.
  if (line.where.empty()) {
    held_ += line.status == LineStatus::kOk;
    failed_ += line.status == LineStatus::kFailed;
  }
  if (line.status == LineStatus::kFailed && firstFailure_.empty()) {
    firstFailure_ = (line.where.empty() ? "line " + std::to_string(line.number) : line.where) +
                    ": " + line.source + "   " + line.said;
  }
  entries_.push_back({RecordEntry::Kind::kLine, "", line});
}

void ScriptRecord::LoopEnded(const std::vector<LineReport>& lines) {
  text_.LoopEnded(lines);
  for (const LineReport& line : lines) {
    held_ += line.held;
    failed_ += line.failed;
    entries_.push_back({RecordEntry::Kind::kLoopLine, "", line});
  }
}

void ScriptRecord::Stopped(const std::string& where, const std::string& why) {
  text_.Stopped(where, why);
  stopped_ = where + ": " + Escaped(why);
  midway_ = true;
  entries_.push_back({RecordEntry::Kind::kStopped, stopped_, {}});
}

void ScriptRecord::Refused(const std::vector<std::string>& shown, std::size_t count) {
  text_.Refused(shown, count);
  for (const std::string& mistake : shown) {
    entries_.push_back({RecordEntry::Kind::kRefused, Escaped(mistake), {}});
  }
  stopped_ = (shown.empty() ? std::string("mistakes") : Escaped(shown.front())) +
             (count > 1 ? " (and " + std::to_string(count - 1) + " more)" : "");
}

void ScriptRecord::Ended(const std::vector<std::string>& goldensWritten, std::size_t failures) {
  text_.Ended(goldensWritten, failures);
}

std::string ScriptRecord::StopReason() const {
  return stopped_.empty() ? lastText_ : stopped_;
}

}  // namespace refhost
