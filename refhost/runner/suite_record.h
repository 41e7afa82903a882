// A script's run as a suite keeps it: the transcript the runner would print
// (the text printer's, into a string), every record for the HTML page, and
// what the summary says of it: its expectations held and failed, and its
// first failure or why it stopped.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "refhost/runner/run_report.h"
#include "refhost/runner/text_report.h"

namespace refhost {

// One thing the run told, in order.
struct RecordEntry {
  enum class Kind { kText, kLine, kLoopLine, kStopped, kRefused } kind;
  std::string text;  // kText, kStopped ("line 2: why"), kRefused (a mistake)
  LineReport line;   // kLine, kLoopLine
};

class ScriptRecord : public RunReport {
 public:
  ScriptRecord() : text_(transcript_) {}

  void Text(const std::string& text) override;
  void Starting(const LineReport& line) override;
  void Called(const HostCall& call) override;
  void Ran(const LineReport& line) override;
  void LoopEnded(const std::vector<LineReport>& lines) override;
  void Stopped(const std::string& where, const std::string& why) override;
  void Refused(const std::vector<std::string>& shown, std::size_t count) override;
  void Ended(const std::vector<std::string>& goldensWritten, std::size_t failures) override;

  // What the host said around the run goes into the transcript too.
  std::ostream& Transcript() { return transcript_; }
  std::string TranscriptText() const { return transcript_.str(); }

  const std::vector<RecordEntry>& Entries() const { return entries_; }
  std::uint64_t Held() const { return held_; }
  std::uint64_t Failed() const { return failed_; }
  // "line 7: expect n, 2   FAILED: got 1, wanted 2"; "" when none failed.
  const std::string& FirstFailure() const { return firstFailure_; }
  // A line stopped the run midway (not a mistake found before line 1).
  bool StoppedMidway() const { return midway_; }
  // Why the run stopped or was refused, or the last line of text told
  // before it ended, for a run that could not go on.
  std::string StopReason() const;

 private:
  std::ostringstream transcript_;
  TextReport text_;
  std::vector<RecordEntry> entries_;
  std::uint64_t held_ = 0;
  std::uint64_t failed_ = 0;
  std::string firstFailure_;
  std::string stopped_;
  bool midway_ = false;
  std::string lastText_;
};

}  // namespace refhost
