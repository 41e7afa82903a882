// The run report as mbc_runner prints it: a line outside loops echoed and
// padded, then what it said ("=> 1", "ok", ...) and its host calls; a loop
// shown once, when the outermost loop has ended, each of its lines indented
// by its blocks with its runs in all; failures inside loops as they happen,
// with the loop variables.
#pragma once

#include <ostream>

#include "refhost/runner/run_report.h"

namespace refhost {

// What a line of a loop did in all ("6 passes in 2 runs", "ran 6 times, the
// last => 3  [30 host calls]", "6 held"); "" for a line that closes a block.
std::string LoopSummary(const LineReport& line);

class TextReport : public RunReport {
 public:
  explicit TextReport(std::ostream& out) : out_(out) {}

  void Text(const std::string& text) override;
  void Starting(const LineReport& line) override;
  void Called(const HostCall& call) override;
  void Ran(const LineReport& line) override;
  void LoopEnded(const std::vector<LineReport>& lines) override;
  void Stopped(const std::string& where, const std::string& why) override;
  void Refused(const std::vector<std::string>& shown, std::size_t count) override;
  void Ended(const std::vector<std::string>& goldensWritten, std::size_t failures) override;

  std::ostream& Out() { return out_; }

 private:
  std::ostream& out_;
  bool started_ = false;  // the line's echo is out already (--trace)
};

}  // namespace refhost
