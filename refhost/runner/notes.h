// Notes: what the runner tells about a command that the plug-in ran without a
// word. The plug-in reports nothing by design (a plot outside the image, a
// make the host made nothing for, a delete of a number it never handed out
// all pass in silence), so the runner works out, after each call, what the
// command did or left undone and why: from its arguments and result, from
// the host's store before and after the call (whether a memblock exists, its
// header and size, how many memblocks there are) and from the rules
// docs/commands.md gives for each command, never from the plug-in's code.
// One rule an export, all in notes.cpp; docs/refhost.md lists the notes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "refhost/companion/companion_client.h"

namespace refhost {

enum class NoteKind : std::uint8_t {
  kNone,
  kNotBound,
  kNumberBelowOne,
  kNoMemblock,
  kShortHeader,
  kDepthNotDrawn,
  kOutside,
  kPastMemblockEnd,
  kLow16Bits,
  kDiameterBelowOne,
  kSizeBelowOne,
  kFillMode,
  kFarCornerWraps,
  kWhollyOutside,
  kPartlyOutside,
  kTargetEmpty,
  kIntoItself,
  kSourceNotRead,
  kTargetNotDrawn,
  kSamplesOutside,
  kUnconverted,
  kScriptsOwnMemblock,
  kSizeRefused,
  kImageSizeRefused,
  kMeshSizeRefused,
  kNoResource,
  kNoRoom,
  kImageSizeBelowOne,
  kImageDepthBelow16,
  kImageGaveUp,
  kDepthUndrawable,
  kDeleteBelowOne,
  kDeleteNoMemblock,
  kDeleteNotHandedOut,
  kClearLeft,
};

// One note: its kind and the values its text is made of, so that a note
// that fires in every pass of a loop costs no text until it is shown.
struct Note {
  NoteKind kind = NoteKind::kNone;
  const char* outcome = "";  // what the command left undone: "nothing plotted"
  std::int64_t v[7] = {};
};

std::string NoteText(const Note& note);

// The rule of one export; null for an export that leaves nothing to tell.
struct NoteRule;
const NoteRule* NoteRuleOf(std::string_view exportName);

// For a command called once a pixel (a plot, a read): true when, from its
// arguments, the host calls it made and one look at the store, it certainly
// did what a script author expects, so that the common case costs little and
// needs neither NoteTaker::Before nor After; null for a rule without one.
using QuietCheck = bool (*)(const CompanionClient& host, const std::int32_t* args,
                            std::uint64_t calls);
QuietCheck QuietCheckOf(const NoteRule& rule);

// Takes the notes of the calls of one run, keeping what the rules need from
// one call to the next: the numbers the plug-in has handed out and not taken
// back, as its makers, deletes and clears show them.
class NoteTaker {
 public:
  explicit NoteTaker(const CompanionClient* host) : host_(host) {}

  // Before the call: what the rule needs of the store. True when the rule
  // wants to see the host calls of the call (Called) until After.
  bool Before(const NoteRule& rule);
  void Called(const HostCall& call);
  // After the call with `args`, which gave `result` and made `calls` host
  // calls: the note, kind kNone when there is nothing to tell.
  Note After(const NoteRule& rule, const std::int32_t* args, std::int32_t result,
             std::uint64_t calls);

 private:
  const CompanionClient* host_;
  std::int32_t countBefore_ = 0;
  std::vector<std::int32_t> passedOver_;  // numbers the host said exist, during a maker
  std::unordered_set<std::int32_t> handedOut_;
};

}  // namespace refhost
