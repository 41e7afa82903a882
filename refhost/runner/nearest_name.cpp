#include "refhost/runner/nearest_name.h"

#include <algorithm>

namespace refhost {
namespace {

char Lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// The longest name searched for, and the most of a text worth comparing with
// one: a text longer than a name by more than its edits is never close.
constexpr std::size_t kLongestName = 64;
constexpr std::size_t kLongestText = kLongestName + kLongestName / 4 + 1;

// The blank-separated words of `text` (cut at its first "("), in lower case,
// gathered only until, joined, they are longer than kLongestText: such a text
// is close to no name whatever follows, so the rest of a long line costs
// nothing (the last word gathered may be cut short).
std::vector<std::string> Words(std::string_view text) {
  std::vector<std::string> words;
  std::string word;
  std::size_t joined = 0;
  for (char c : text.substr(0, text.find('('))) {
    if (joined > kLongestText) break;
    if (c != ' ' && c != '\t') {
      joined += word.empty() && !words.empty();  // the blank before it
      word.push_back(Lower(c));
      ++joined;
    } else if (!word.empty()) {
      words.push_back(std::move(word));
      word.clear();
    }
  }
  if (!word.empty()) words.push_back(std::move(word));
  return words;
}

// Edits from `a` to `b` (optimal string alignment: insertions, deletions,
// substitutions and swaps of neighbours), or limit + 1 when there are more
// than `limit`. Only cells within `limit` of the diagonal can stay within
// it, so only those are worked out, and a row with none left ends the work:
// a hostile line costs little however long it is.
std::size_t Distance(const std::string& a, const std::string& b, std::size_t limit) {
  const std::size_t over = limit + 1;
  if (std::max(a.size(), b.size()) - std::min(a.size(), b.size()) > limit) return over;
  // Three rows: the one before the last (for swaps), the last, this one.
  std::vector<std::size_t> before(b.size() + 1, over), last(b.size() + 1, over),
      row(b.size() + 1, over);
  for (std::size_t j = 0; j <= std::min(b.size(), limit); ++j) last[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::fill(row.begin(), row.end(), over);
    if (i <= limit) row[0] = i;
    std::size_t least = row[0];
    const std::size_t from = i > limit ? i - limit : 1, to = std::min(b.size(), i + limit);
    for (std::size_t j = from; j <= to; ++j) {
      std::size_t d = std::min(last[j] + 1, row[j - 1] + 1);
      d = std::min(d, last[j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1));
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) {
        d = std::min(d, before[j - 2] + 1);
      }
      row[j] = std::min(d, over);
      least = std::min(least, row[j]);
    }
    if (least > limit) return over;
    std::swap(before, last);
    std::swap(last, row);
  }
  return std::min(last[b.size()], over);
}

std::string Joined(const std::vector<std::string>& words, std::size_t count) {
  std::string text;
  for (std::size_t i = 0; i < count && i < words.size(); ++i) text += (i ? " " : "") + words[i];
  return text;
}

}  // namespace

std::string NearestName(std::string_view text, const std::vector<std::string>& candidates) {
  const std::vector<std::string> words = Words(text);
  std::string best;
  std::size_t bestDistance = 0;
  for (const std::string& candidate : candidates) {
    if (candidate.size() > kLongestName) continue;
    const std::vector<std::string> own = Words(candidate);
    const std::string name = Joined(own, own.size());
    const std::size_t limit = std::max<std::size_t>(1, name.size() / 4);
    for (std::size_t count = std::max<std::size_t>(own.size(), 2) - 1; count <= own.size() + 1;
         ++count) {
      const std::size_t d = Distance(name, Joined(words, count), limit);
      if (d > limit) continue;
      if (best.empty() || d < bestDistance ||
          (d == bestDistance && candidate.size() > best.size())) {
        best = candidate;
        bestDistance = d;
      }
    }
  }
  return best;
}

}  // namespace refhost
