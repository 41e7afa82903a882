// What a run of a script reports, as records a printer renders: the text
// printer (text_report.h) writes what mbc_runner prints; a report of another
// form takes the same records. Each line of the script that ran is one
// record, told once when it stands outside loops, and summed up, with the
// other lines of its loop, when the outermost loop round it has ended.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "refhost/memblock_store.h"
#include "refhost/runner/png_file.h"
#include "refhost/runner/script_program.h"

namespace refhost {

enum class LineStatus : std::uint8_t {
  kRan,     // ran, with nothing to judge
  kOk,      // its expectations held
  kFailed,  // an expectation failed
};

// A note the runner adds where the plug-in was silent (notes.h): its text;
// for a line summed up over a loop, in how many of its runs it applied and
// the loop variables at the first ("x = 64, y = 3").
struct LineNote {
  std::string text;
  std::uint64_t times = 1;
  std::string first;
};

// What an expect_image compared, for a report that shows the pictures.
struct ImageCheck {
  std::string golden;  // the golden file's full path
  RgbImage actual;
  RgbImage wanted;  // empty when the golden file is missing or cannot be read
  RgbImage diff;    // empty unless both have the same size
  std::size_t differing = 0;
  int left = 0, top = 0, right = 0, bottom = 0;  // the box of the differing pixels
};

struct LineReport {
  std::uint32_t number = 0;  // of the line in the script
  std::string source;        // its code as echoed: no comment, other bytes than ASCII as \xNN
  std::uint8_t depth = 0;    // the blocks it stands in
  LineKind kind = LineKind::kCommand;
  LineStatus status = LineStatus::kRan;
  std::string said;                  // "=> 1", "ok", "FAILED: got 3, wanted 4", "read 0x00000010"
  std::vector<std::string> details;  // further lines under it
  std::vector<LineNote> notes;       // what the plug-in left silent, one a note rule
  bool showsHostCalls = false;       // it calls commands, and the host's store is there
  std::uint64_t hostCalls = 0;
  // For a failure inside a loop: the line and the loop variables,
  // "line 7 (x = 12, y = 3)"; empty otherwise.
  std::string where;
  // Summed up over a loop: how often it ran; a for's or while's passes, or
  // how often an if or elseif was taken; an expectation's outcomes; the last
  // value a command or assignment gave, as shown ("" when none).
  std::uint64_t runs = 0;
  std::uint64_t passes = 0;
  std::uint64_t held = 0;
  std::uint64_t failed = 0;
  std::uint64_t failuresNotShown = 0;
  std::string last;
  // An expect_image run reported on its own, when the run keeps pictures.
  std::shared_ptr<const ImageCheck> image;
};

class RunReport {
 public:
  virtual ~RunReport() = default;
  // A line of its own: the output folder made, what print prints.
  virtual void Text(const std::string& text) = 0;
  // With --trace: a line about to call the plug-in, then each host call.
  virtual void Starting(const LineReport& line) = 0;
  virtual void Called(const HostCall& call) = 0;
  // A line outside loops has run; or a line inside one failed (`where` set).
  virtual void Ran(const LineReport& line) = 0;
  // The outermost loop has ended (or was stopped): each of its lines, in all.
  virtual void LoopEnded(const std::vector<LineReport>& lines) = 0;
  // The run stopped at a line: `where` as LineReport::where, or "line 7".
  virtual void Stopped(const std::string& where, const std::string& why) = 0;
  // The check found `count` mistakes, of which `shown`; nothing ran.
  virtual void Refused(const std::vector<std::string>& shown, std::size_t count) = 0;
  // The script has run to its end.
  virtual void Ended(const std::vector<std::string>& goldensWritten, std::size_t failures) = 0;
};

}  // namespace refhost
