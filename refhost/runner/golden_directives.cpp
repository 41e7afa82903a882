// The directives that write pictures and compare them with golden files:
// save, expect_image, and what --update-golden does.
#include <algorithm>

#include "refhost/runner/file_access.h"
#include "refhost/runner/image_diff.h"
#include "refhost/runner/runner_text.h"
#include "refhost/runner/script_runner.h"

namespace refhost {
namespace {

constexpr std::int32_t kLargestScale = 64;
constexpr int kLargestDefaultEnlargement = 16;

// "commands/picture.png" as "commands/picture": the name NAME.actual.png
// and NAME.diff.png are made from.
std::string Stem(const std::string& name) {
  const std::string ending = ".png";
  if (name.size() <= ending.size()) return name;
  std::string tail = name.substr(name.size() - ending.size());
  for (char& c : tail) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  return tail == ending ? name.substr(0, name.size() - ending.size()) : name;
}

std::string Size(int width, int height) {
  return std::to_string(width) + "x" + std::to_string(height);
}

std::string Point(int x, int y) {
  return "(" + std::to_string(x) + ", " + std::to_string(y) + ")";
}

// A golden PNG file as RGB.
bool ReadGolden(const std::string& path, RgbImage* golden, std::string* error) {
  std::vector<std::int32_t> pixels;
  if (!ReadPng(path, kLargestPngSide, &golden->width, &golden->height, &pixels, error)) {
    return false;
  }
  golden->rgb.resize(pixels.size() * 3);
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    const auto value = static_cast<std::uint32_t>(pixels[i]);
    for (int c = 0; c < 3; ++c) {
      golden->rgb[i * 3 + c] = static_cast<std::uint8_t>(value >> (16 - 8 * c));
    }
  }
  return true;
}

// How many times a picture of `width` x `height` is enlarged: `asked`, or by
// default the least that makes its longer side kEnlargedSide pixels, at most
// 16; either way no more than a picture of kLargestPngSide allows, and 1
// (not enlarged) when that is all it allows.
int Enlargement(int width, int height, int asked) {
  const int longer = std::max(width, height);
  int scale = asked != 0
                  ? asked
                  : std::min(kLargestDefaultEnlargement, (kEnlargedSide + longer - 1) / longer);
  // An enlargement of s takes 1 + side * (s + 1) pixels, with its grid.
  scale = std::min(scale, (kLargestPngSide - 1) / longer - 1);
  return std::max(scale, 1);
}

}  // namespace

bool ScriptRunner::ImageMemblock(std::int32_t n, const char* purpose, RgbImage* image) {
  std::string why;
  if (host_->MemblockExists(n) == 0) {
    error_ = "memblock " + std::to_string(n) + " does not exist";
    return false;
  }
  if (!DecodeImageMemblock(host_->Bytes(n), image, &why)) {
    error_ = "memblock " + std::to_string(n) + " is not an image " + purpose + ": " + why;
    return false;
  }
  return true;
}

bool ScriptRunner::WriteOutput(const RgbImage& image, const std::string& name, std::string* full) {
  *full = PathBelow(outputFolder_, name);
  std::vector<std::uint8_t> png;
  if (!EncodePng(image, &png)) {
    error_ = *full + " cannot be written: the PNG encoder failed";
    return false;
  }
  const GoldenGuard& guard = guard_;
  return WriteBelow(
      outputFolder_, name, png,
      [&guard](const DiskFile& file) { return guard.Refusal(file, false); }, &error_);
}

bool ScriptRunner::WritePictures(const RgbImage& image, const std::string& stem, const char* kind,
                                 std::string* path) {
  const std::string name = stem + "." + kind;
  if (!WriteOutput(image, name + ".png", path)) return false;
  const int scale = Enlargement(image.width, image.height, options_.diffScale);
  RgbImage enlarged;
  std::string full;
  if (scale == 1) {
    RemoveStale(name + ".enlarged.png");
    return true;
  }
  return Enlarge(image, scale, &enlarged, &error_) &&
         WriteOutput(enlarged, name + ".enlarged.png", &full);
}

void ScriptRunner::RemoveStale(const std::string& name) {
  const GoldenGuard& guard = guard_;
  std::string why;
  if (!RemoveBelow(
          outputFolder_, name,
          [&guard](const DiskFile& file) { return guard.Refusal(file, false); }, &why)) {
    Detail("the picture of an earlier run stays: " + why);
  }
}

void ScriptRunner::RemoveStale(const std::string& stem, bool actual, bool diff) {
  for (const char* kind : {actual ? "" : "actual", diff ? "" : "diff"}) {
    if (*kind == '\0') continue;
    RemoveStale(stem + "." + kind + ".png");
    RemoveStale(stem + "." + kind + ".enlarged.png");
  }
}

bool ScriptRunner::WriteGolden(const RgbImage& image, const std::string& name,
                               const std::string& why) {
  const std::string path = PathBelow(scriptFolder_, name);
  std::vector<std::uint8_t> png;
  if (!EncodePng(image, &png)) {
    error_ = path + " cannot be written: the PNG encoder failed";
    return false;
  }
  // A golden file is a PNG file by its name, and by the name of what the
  // system opens for it (a short name may stand for another).
  const GoldenGuard& guard = guard_;
  const auto check = [&guard](const DiskFile& file) {
    const std::string& opened = file.FinalPath();
    if (opened.size() < 4 || Lowered(opened.substr(opened.size() - 4)) != ".png") {
      return "is " + opened + ", not a .png file: a golden file is a PNG file";
    }
    return guard.Refusal(file, true);
  };
  if (!WriteBelow(scriptFolder_, name, png, check, &error_)) return false;
  RemoveStale(Stem(name), false, false);
  goldensWritten_.push_back(path);
  Say("golden file written (" + why + "): " + path, LineStatus::kOk);
  return true;
}

bool ScriptRunner::Save(const DirectiveStep& step) {
  const std::string& name = *step.texts[1];
  const std::int32_t scale = step.v.size() == 2 ? step.v[1] : 1;
  if (scale < 1 || scale > kLargestScale) {
    error_ = "SCALE runs from 1 to " + std::to_string(kLargestScale);
    return false;
  }
  RgbImage image;
  if (!ImageMemblock(step.v[0], "to save", &image)) return false;
  // Enlarged, each pixel takes SCALE + 1 pixels a side and the grid one more.
  const auto side = [scale](int pixels) {
    return 1 + static_cast<long long>(pixels) * (scale + 1);
  };
  if (side(image.width) > kLargestPngSide || side(image.height) > kLargestPngSide) {
    const int largest = (kLargestPngSide - 1) / std::max(image.width, image.height) - 1;
    error_ = "SCALE " + std::to_string(scale) + " makes the " + Size(image.width, image.height) +
             " image " +
             Size(static_cast<int>(side(image.width)), static_cast<int>(side(image.height))) +
             " pixels, and a picture has at most " + std::to_string(kLargestPngSide) + " a side: " +
             (largest >= 2 ? "the largest SCALE that fits is " + std::to_string(largest)
                           : std::string("this image fits only unscaled (SCALE 1)"));
    return false;
  }
  RgbImage shown = image;
  std::string full;
  if (scale > 1 && !Enlarge(image, scale, &shown, &error_)) return false;
  if (!WriteOutput(shown, name, &full)) return false;
  saved_.push_back(name);
  Say("saved " + Size(image.width, image.height) +
      (scale > 1 ? ", each pixel " + Size(scale, scale) + " in a grid," : std::string()) + " as " +
      full);
  return true;
}

bool ScriptRunner::ExpectImage(const DirectiveStep& step) {
  const std::string& name = *step.texts[1];
  const std::string golden = PathBelow(scriptFolder_, name);
  const std::string stem = Stem(name);
  auto check = std::make_shared<ImageCheck>();
  check->golden = golden;
  if (!ImageMemblock(step.v[0], "to compare", &check->actual)) return false;
  const RgbImage& image = check->actual;
  // The record shows what was compared, however it came out.
  if (options_.keepPictures) image_ = check;
  std::string actual;
  if (IsMissing(golden)) {
    if (options_.updateGolden) return WriteGolden(image, name, "it was missing");
    ++failures_;
    if (!WritePictures(image, stem, "actual", &actual)) return false;
    RemoveStale(stem, true, false);
    Say("FAILED: the golden file " + golden + " does not exist yet", LineStatus::kFailed);
    Detail("the image is in " + actual + "; --update-golden takes it as the golden file");
    return true;
  }
  RgbImage& wanted = check->wanted;
  std::string unreadable;
  if (!ReadGolden(golden, &wanted, &unreadable)) {
    if (options_.updateGolden) {
      return WriteGolden(image, name, "the old one could not be read");
    }
    error_ = unreadable + "; --update-golden writes it anew from the image";
    return false;
  }
  if (wanted.width != image.width || wanted.height != image.height) {
    const std::string sizes =
        Size(image.width, image.height) + ", the golden file " + Size(wanted.width, wanted.height);
    if (options_.updateGolden) return WriteGolden(image, name, "it was " + sizes);
    ++failures_;
    if (!WritePictures(image, stem, "actual", &actual)) return false;
    RemoveStale(stem, true, false);
    Say("FAILED: the image is " + sizes + " (" + golden + ")", LineStatus::kFailed);
    Detail("the image is in " + actual);
    return true;
  }
  const ImageDifference d = CompareImages(image, wanted);
  check->differing = d.count;
  check->left = d.left;
  check->top = d.top;
  check->right = d.right;
  check->bottom = d.bottom;
  if (options_.keepPictures) check->diff = DifferencePicture(image, wanted);
  if (d.count == 0) {
    RemoveStale(stem, false, false);
    Say("ok", LineStatus::kOk);
    return true;
  }
  const std::string differ = Plural(d.count, "pixel") + " of " +
                             std::to_string(image.rgb.size() / 3) +
                             (d.count == 1 ? " differs" : " differ");
  if (options_.updateGolden) return WriteGolden(image, name, differ);
  ++failures_;
  std::string diff;
  if (!WritePictures(image, stem, "actual", &actual) ||
      !WritePictures(DifferencePicture(image, wanted), stem, "diff", &diff)) {
    return false;
  }
  Say("FAILED: " + differ + " from " + golden + ", all within " + Point(d.left, d.top) + " to " +
          Point(d.right, d.bottom),
      LineStatus::kFailed);
  Detail("the first at " + Point(d.firstX, d.firstY) + ": the image has " + Hex(d.firstActual, 6) +
         ", the golden file " + Hex(d.firstGolden, 6));
  Detail("the image is in " + actual + ", the differences in magenta in " + diff);
  const int scale = Enlargement(image.width, image.height, options_.diffScale);
  if (scale > 1) {
    Detail("both also enlarged " + std::to_string(scale) + " times, with a grid, as " +
           Stem(actual) + ".enlarged.png and " + Stem(diff) + ".enlarged.png");
  }
  return true;
}

}  // namespace refhost
