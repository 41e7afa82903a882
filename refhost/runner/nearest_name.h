// The name a mistyped one most likely meant, for messages such as
// `unknown command: MBC Plott img, 1, 1, 7; did you mean "MBC Plot"?`.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace refhost {

// The candidate that the start of `text` comes closest to, letters compared
// without case, or "" when none is close. A candidate of W blank-separated
// words is compared with the first W - 1, W and W + 1 words of `text` (cut at
// its first "("), so that a blank too many or too few still finds it; close
// means at most one edit (a letter added, dropped, changed, or two swapped)
// per four letters of the candidate, and at least one. Ties go to the longer
// candidate, as the longest command name wins when a line is read. Names
// longer than 64 characters are not searched for, so that the work stays
// within a bound whatever the lengths of `text` and the candidates: only the
// start of `text` is read, and each candidate costs at most a fixed amount.
std::string NearestName(std::string_view text, const std::vector<std::string>& candidates);

}  // namespace refhost
