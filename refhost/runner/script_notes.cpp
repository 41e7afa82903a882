// The interpreter's side of the notes (notes.h): each command called with
// the note rule of its export, and each note kept for the line running now:
// with the line itself when it is shown as it runs, or summed up, one a note
// kind, with a line of a loop, shown when the outermost loop ends.
#include "refhost/runner/export_call.h"
#include "refhost/runner/runner_text.h"
#include "refhost/runner/script_runner.h"

namespace refhost {

std::int32_t ScriptRunner::CallWatched(const NoteRule& rule, const void* address,
                                       const std::int32_t* args, std::size_t argc) {
  const std::uint64_t before = budget_.CommandCalls();
  // A rule that watches the host calls sees them through the observer for
  // this call alone, so that other calls pay nothing for it.
  const bool watch = notes_.Before(rule);
  if (watch) host_->SetCallObserver(&ScriptRunner::ObserveForNotes, this);
  const std::int32_t result = CallExport(address, args, argc);
  if (watch) {
    host_->SetCallObserver(options_.trace ? &ScriptRunner::ObserveAndTrace : &ScriptRunner::Observe,
                           this);
  }
  NoteAfter(rule, args, result, budget_.CommandCalls() - before);
  return result;
}

void ScriptRunner::NoteAfter(const NoteRule& rule, const std::int32_t* args, std::int32_t result,
                             std::uint64_t calls) {
  const Note note = notes_.After(rule, args, result, calls);
  if (note.kind != NoteKind::kNone) Noted(note);
}

void REFHOST_CDECL ScriptRunner::ObserveForNotes(const HostCall* call, void* context) {
  auto* self = static_cast<ScriptRunner*>(context);
  self->notes_.Called(*call);
  (self->options_.trace ? &ScriptRunner::ObserveAndTrace : &ScriptRunner::Observe)(call, context);
}

void ScriptRunner::Noted(const Note& note) {
  const Step& step = *current_;
  // Lines shown once, summed up (those of loops, a for or while among them),
  // keep their notes with their tallies; with --trace each run shows its own too.
  if (step.tally != 0) {
    std::vector<NoteSum>& sums = noteSums_[step.tally];
    auto sum = sums.begin();
    while (sum != sums.end() && sum->first.kind != note.kind) ++sum;
    if (sum == sums.end()) {
      sums.push_back(NoteSum{note, 0, LoopValues(step.line)});
      sum = sums.end() - 1;
    }
    ++sum->times;
  }
  if (step.tally == 0 || options_.trace) pendingNotes_.push_back(note);
}

std::vector<LineNote> ScriptRunner::TakeNotes() {
  std::vector<LineNote> notes;
  for (const Note& note : pendingNotes_) notes.push_back(LineNote{NoteText(note), 1, ""});
  pendingNotes_.clear();
  return notes;
}

std::string ScriptRunner::LoopValues(std::uint32_t record) const {
  std::string values;
  for (std::int32_t r = program_.lines[record].loop; r >= 0; r = program_.lines[r].loop) {
    const std::int32_t slot = program_.lines[r].loopSlot;
    if (slot < 0 || !cells_[slot].set) continue;
    values += (values.empty() ? "" : ", ") + variables_.Name(slot) + " = " +
              Shown(cells_[slot].number, cells_[slot].pixel);
  }
  return values;
}

}  // namespace refhost
