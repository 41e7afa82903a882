// Runs a command script against the plug-in's commands and the stand-in
// host. The whole script is decoded, checked and compiled first
// (script_compiler.h), so that a mistake anywhere runs no line at all; then
// its steps run (script_interpreter.cpp), each line reported as a record
// (run_report.h) that the text printer renders (text_report.h). The
// directives are in directives.h.
#pragma once

#include <csetjmp>
#include <cstdint>
#include <istream>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "refhost/companion/companion_client.h"
#include "refhost/runner/command_set.h"
#include "refhost/runner/directives.h"
#include "refhost/runner/export_call.h"
#include "refhost/runner/file_access.h"
#include "refhost/runner/golden_guard.h"
#include "refhost/runner/host_call_budget.h"
#include "refhost/runner/notes.h"
#include "refhost/runner/png_file.h"
#include "refhost/runner/script_program.h"
#include "refhost/runner/text_report.h"

namespace refhost {

enum RunResult : int {
  kRunPassed = 0,
  kRunExpectFailed = 1,
  kRunScriptError = 2,  // a mistake in the script, a line that could not be run, a budget spent
  kRunSetUpFailed = 3,  // the output folder cannot be made
};

// A command that makes more host calls than this is stopped, by default; and
// so is a run that makes more than this in all.
constexpr std::uint64_t kDefaultMaxHostCalls = 100000000;
constexpr std::uint64_t kDefaultMaxRunHostCalls = 1000000000;
// A script that would run more lines than this is stopped, by default: a
// pass over every pixel of a 1024 x 1024 image takes some 2,100,000, and a
// loop that never ends stops within seconds.
constexpr std::uint64_t kDefaultMaxLines = 10000000;
// A script larger than this is no script.
constexpr std::uint64_t kLargestScriptBytes = 64 << 20;

struct RunnerOptions {
  std::string script;              // the script's own file, never written over ("": none)
  std::string scriptFolder = ".";  // where PNG files and golden files are read from
  std::string outputFolder = ".";  // where "save" writes, made when missing
  bool trace = false;              // print every host call under its command
  // An expect_image whose golden file is missing or differs writes the image
  // as the golden file and passes.
  bool updateGolden = false;
  std::uint64_t maxHostCalls = kDefaultMaxHostCalls;
  std::uint64_t maxRunHostCalls = kDefaultMaxRunHostCalls;
  std::uint64_t maxLines = kDefaultMaxLines;  // lines run, counting each pass of a loop
  // Tell what a command left undone, or did that a script author would not
  // expect, where the plug-in is silent (notes.h); never changes the status.
  bool notes = true;
  // Ends the process with `status` once a command has made more host calls
  // than maxHostCalls, or the run more than maxRunHostCalls, and the message
  // is out. It must not return: the command is cut off in the middle and
  // nothing may call into it again. Null: the runner jumps back out of the
  // command to where the run started it (Execute), reports the stop and Run
  // returns kRunScriptError; CutOff() then says that the plug-in may not be
  // called again, its unload hook included.
  void (*stop)(int status) = nullptr;
  // Every expect_image that is reported keeps its pictures in its record
  // (LineReport::image), for a report that shows them.
  bool keepPictures = false;
  // The enlargement of the NAME.actual.enlarged.png and NAME.diff.enlarged.png
  // pictures a failed expect_image writes beside the others: 0 for the
  // default (a picture at least kEnlargedSide pixels on its longer side, at
  // most 16 times), 1 for none.
  int diffScale = 0;
};

// A picture a failed expect_image enlarges is at least so many pixels on its
// longer side, by default.
constexpr int kEnlargedSide = 256;

// A directive line about to run.
struct DirectiveStep {
  std::string_view word;                         // as the directive table spells it
  const std::vector<std::int32_t>& v;            // its number arguments' values, in order
  const std::vector<char>& pixel;                // which of those are colours
  const std::vector<const std::string*>& texts;  // each argument's text; null for a number
  std::int32_t target;                           // the variable it keeps a value in, or -1
};

// Failures of one line inside a loop shown as they happen; the rest are counted.
constexpr std::uint64_t kShownFailures = 10;

class ScriptRunner {
 public:
  // `host` may be null: the companion library is missing, the commands still
  // run, and the directives that need the host's store are refused.
  ScriptRunner(const CommandSet& plugin, const CompanionClient* host, RunnerOptions options,
               std::ostream& out);
  // Each record goes to `report` instead of a text printer on `out`.
  ScriptRunner(const CommandSet& plugin, const CompanionClient* host, RunnerOptions options,
               std::ostream& out, RunReport& report);

  // Reads the whole script (UTF-8 or UTF-16, see script_text.h), checks and
  // compiles it, makes the output folder when it is missing, then runs it;
  // stops at the first line that cannot be run. Variables set by one script
  // are there for the next one this runner runs.
  RunResult Run(std::istream& script);
  RunResult Run(std::string bytes);

  // The files "save" wrote, in order, as paths below the output folder.
  const std::vector<std::string>& SavedFiles() const { return saved_; }

  // A command was stopped midway (RunnerOptions::stop null): the plug-in may
  // not be called again.
  bool CutOff() const { return cutOff_; }

  // Writes `bytes` as `name` below the output folder of the last run, with
  // the promises of a picture the script saves (never over the script, a
  // file it reads or a golden file); false with the reason.
  bool WriteBesideOutput(const std::string& name, const std::vector<std::uint8_t>& bytes,
                         std::string* error);

 private:
  friend const std::vector<Directive>& Directives();

  // What a line did in all, while it runs in a loop.
  struct Tally {
    std::uint64_t runs = 0;
    std::uint64_t hostCalls = 0;
    std::uint64_t passes = 0;  // a loop's passes, an if's branches taken
    std::uint64_t held = 0;
    std::uint64_t failed = 0;
    std::uint64_t failuresShown = 0;
    Value last;  // what a command or assignment gave when it last ran
  };
  // A for loop while it runs: the passes still to come, its step, its tally.
  struct Loop {
    std::uint64_t remaining = 0;
    std::int32_t step = 0;
    std::uint32_t tally = 0;
  };

  // ---- the interpreter (script_interpreter.cpp, script_evaluator.cpp and,
  // for what it tells, script_reports.cpp) ----
  // Sets a run going, and is where a command stopped midway comes back to.
  RunResult Execute();
  RunResult Interpret();
  // The steps other than a command's and a next's, which Interpret runs itself.
  bool RunStep(const Step& step, std::size_t* pc);
  // A command's arguments from `from` on, worked out; false, with the
  // reason kept, when one cannot be.
  bool GatherRest(const Step& step, std::size_t from, std::int32_t* numbers);
  void ReportCommand(const Step& step, Value value);
  RunResult StopForLines(const Step& step);
  bool ValueOf(const Arg& arg, Value* value);
  bool Evaluate(std::int32_t start, Value* value);
  bool StartFor(const Step& step, std::size_t* pc);
  bool RunDirective(const Step& step);
  // False, with the reason kept for the line's message.
  bool Fail(std::string why, std::size_t column = 0);
  bool Unset(std::int32_t slot);
  // "line 7, column 3 (x = 12, y = 3)": the line, and the variables of the
  // for loops round it, innermost first.
  std::string Where(std::uint32_t record, std::size_t column) const;
  LineReport Report(std::uint32_t record) const;
  void ReportRun(const Step& step, std::string said);
  // The outermost loop round `record` so far, when there is one.
  void ReportLoopAround(std::uint32_t record);
  void ReportLoop(std::uint32_t first, std::uint32_t last);
  RunResult Stop();
  // "=> 5", or "=> 0x000000FF" for a pixel.
  std::string ResultText(Value result, Meaning meaning) const;
  // ---- notes (script_notes.cpp) ----
  // Calls a command's export with the note rule of its export, noting what
  // the rule finds.
  // `quiet` is the rule's quiet check: a plot or a read, called once a pixel,
  // takes the short way, the rule asked only when the check finds something.
  // The calls are counted by the store's observer, which every script that
  // calls the plug-in sets.
  std::int32_t CallNoted(const NoteRule& rule, QuietCheck quiet, const void* address,
                         const std::int32_t* args, std::size_t argc) {
    if (quiet == nullptr) return CallWatched(rule, address, args, argc);
    const std::uint64_t before = budget_.CommandCalls();
    const std::int32_t result = CallExport(address, args, argc);
    const std::uint64_t calls = budget_.CommandCalls() - before;
    if (!quiet(*host_, args, calls)) NoteAfter(rule, args, result, calls);
    return result;
  }
  // The same for a rule without a quiet check, and what the rule finds after
  // a call that made `calls` host calls.
  std::int32_t CallWatched(const NoteRule& rule, const void* address, const std::int32_t* args,
                           std::size_t argc);
  void NoteAfter(const NoteRule& rule, const std::int32_t* args, std::int32_t result,
                 std::uint64_t calls);
  // Keeps a note of the line running now: with the line when it is shown as
  // it runs, summed up with its loop's lines otherwise.
  void Noted(const Note& note);
  // The notes waiting for the line now running, as its record takes them.
  std::vector<LineNote> TakeNotes();
  // "x = 12, y = 3": the variables of the for loops round `record`, innermost first.
  std::string LoopValues(std::uint32_t record) const;
  // Count the host calls of the line running now (and print each, with --trace).
  static void REFHOST_CDECL Observe(const HostCall* call, void* context);
  static void REFHOST_CDECL ObserveAndTrace(const HostCall* call, void* context);
  // The same, also showing each call to the note rule that watches them.
  static void REFHOST_CDECL ObserveForNotes(const HostCall* call, void* context);
  [[noreturn]] void StopForHostCalls();
  // With --trace: a line that calls the plug-in shows before its host calls.
  void StartTrace(const Step& step);

  // ---- what the directives use ----
  void Say(std::string what, LineStatus status = LineStatus::kRan) {
    said_ = std::move(what);
    status_ = status;
  }
  void Detail(std::string text) { details_.push_back(std::move(text)); }
  void Keep(std::int32_t slot, Value value);
  // The directives' steps (directives.cpp names them).
  bool Print(const DirectiveStep& step);
  bool Expect(const DirectiveStep& step);
  bool MakePicture(const DirectiveStep& step);
  bool Mesh(const DirectiveStep& step);
  bool Sound(const DirectiveStep& step);
  bool Array(const DirectiveStep& step);
  bool Memblock(const DirectiveStep& step);
  bool Dword(const DirectiveStep& step);
  bool Show(const DirectiveStep& step);
  bool ListMemblocks(const DirectiveStep& step);
  bool Call(const DirectiveStep& step);
  bool Save(const DirectiveStep& step);
  bool ExpectImage(const DirectiveStep& step);
  std::string DescribeMemblock(std::int32_t n) const;
  // False, with the reason in `error_`, when the host refused to keep what a
  // directive gave it.
  bool Kept(std::int32_t kept);
  // The image memblock `n`; false with the reason in `error_`.
  bool ImageMemblock(std::int32_t n, const char* purpose, RgbImage* image);
  // Writes `image` below the output folder, never over the script, a file it
  // reads or a golden file; false with the reason in `error_`. `full` gets
  // its full path.
  bool WriteOutput(const RgbImage& image, const std::string& name, std::string* full);
  // Writes the golden file of expect_image `name` anew (--update-golden).
  bool WriteGolden(const RgbImage& image, const std::string& name, const std::string& why);
  // The pictures of expect_image's `stem` ("sub/g") of each kind that this
  // outcome does not write, left in the output folder by an earlier run,
  // removed; each that cannot be is told under the line.
  void RemoveStale(const std::string& stem, bool actual, bool diff);
  void RemoveStale(const std::string& name);
  // STEM.KIND.png and, enlarged, STEM.KIND.enlarged.png (a stale one removed
  // when the picture is not enlarged); `path` gets the first one's full path.
  bool WritePictures(const RgbImage& image, const std::string& stem, const char* kind,
                     std::string* path);
  // Finds the folders, making the output folder when it is missing, and
  // notes the files the script names that nothing may write over; false
  // with the reason in `error_`.
  bool SetUpFiles();

  const CommandSet& plugin_;
  const CompanionClient* host_;
  RunnerOptions options_;
  std::ostream& out_;
  TextReport text_;
  RunReport& report_;
  Variables variables_;
  Program program_;
  std::vector<Tally> tallies_;
  std::vector<Loop> loops_;
  std::vector<Value> stack_;
  Variables::Cell* cells_ = nullptr;
  const Step* current_ = nullptr;  // the step running now
  std::uint64_t linesLeft_ = 0;    // of the --max-lines budget
  HostCallBudget budget_;          // the host calls of the line running now, and of the run
  std::string error_;
  std::size_t errorColumn_ = 0;
  // What the directive running now said, and the values it was given.
  std::string said_;
  LineStatus status_ = LineStatus::kRan;
  std::vector<std::string> details_;
  std::vector<std::int32_t> values_;
  std::vector<char> pixels_;
  std::vector<const std::string*> texts_;
  std::vector<std::string> saved_;
  Folder scriptFolder_;
  Folder outputFolder_;
  GoldenGuard guard_;
  NoteTaker notes_;
  bool noting_ = false;  // notes are taken: asked for, and the host's store is there
  std::vector<Note> pendingNotes_;
  // A note kind's runs on one line of a loop, and the first of them.
  struct NoteSum {
    Note first;
    std::uint64_t times = 0;
    std::string where;
  };
  std::vector<std::vector<NoteSum>> noteSums_;  // by tally
  std::vector<std::string> goldensWritten_;
  std::size_t failures_ = 0;
  std::jmp_buf cutOffPoint_;  // set by Execute while a run goes on
  bool cutOff_ = false;
  std::shared_ptr<ImageCheck> image_;  // what expect_image compared, with keepPictures
};

}  // namespace refhost
