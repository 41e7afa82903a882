// A suite's results as one HTML page that opens from disk: no script, no
// network, its style inline and its pictures inside it as data: URIs. Failed
// scripts first; each script's lines with what they said, and for each
// expect_image reported the picture, the golden one and the differences
// side by side, enlarged by a whole factor and drawn pixelated, so that
// single pixels show; then its transcript.
#pragma once

#include <string>
#include <vector>

#include "refhost/runner/suite_record.h"
#include "refhost/runner/suite_runner.h"

namespace refhost {

// The pictures a page holds in all, at most: the pictures of a suite with
// many large images are left out past it, each saying so.
constexpr std::size_t kLargestPagePictures = 64 << 20;

// A script's section of the page, from what its run told; `pictureBytes`
// is what the page may still hold of pictures, and is spent.
std::string HtmlSection(const ScriptResult& result, const std::vector<RecordEntry>& entries,
                        std::size_t* pictureBytes);

// The page: the counts, a table of every script, then their sections,
// failed scripts first, each group in the suite's order.
std::string HtmlPage(const std::vector<ScriptResult>& results);

// How many times a picture is drawn enlarged on the page: enough for 256
// pixels on its longer side, at most 16 times, and at least once.
int PageEnlargement(int width, int height);

}  // namespace refhost
