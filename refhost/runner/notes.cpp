// The note rules, one an export, as docs/commands.md describes each command:
// what it "does nothing when", and what it chooses where the host leaves a
// choice. Each rule looks at the call's arguments and result and at the
// store; what it finds is a Note, made into text only when it is shown.
#include "refhost/runner/notes.h"

#include <cmath>

#include "refhost/runner/runner_text.h"

namespace refhost {

namespace {

constexpr std::int64_t kLargestMemblock = 64 * 1024 * 1024;
constexpr std::int32_t kMemExistsSlot = 14;  // the host's MemExists

// One call as a rule sees it.
struct Call {
  const CompanionClient& host;
  const std::int32_t* a;  // the arguments
  std::int32_t result;
  // Memblocks in the store, and host calls made, before the call and after it.
  std::int32_t countBefore, countAfter;
  std::uint64_t calls;  // the host calls it made
  std::unordered_set<std::int32_t>& handedOut;
};

}  // namespace

// When the command, bound, calls the host at all: with those arguments it
// makes at least one host call, so one that made none is not bound.
enum class CallsHost : std::uint8_t {
  kMaybe,           // not always (MBC Initialized, the clear)
  kAlways,          // makers and the clone ask MemExists first
  kFromNumberOne,   // when its first argument is 1 or more
  kForAValidImage,  // when the width and height are 1 or more and the depth 16 or more
};

struct NoteRule {
  const char* exportName;
  bool countsBefore;  // needs the store's memblock count from before the call
  bool watchesCalls;  // a maker that may pass over numbers naming the script's memblocks
  CallsHost callsHost;
  Note (*check)(const Call& call);
  QuietCheck quiet = nullptr;
};

namespace {

Note Noted(NoteKind kind, const char* outcome, std::initializer_list<std::int64_t> values) {
  Note note;
  note.kind = kind;
  note.outcome = outcome;
  std::size_t i = 0;
  for (std::int64_t value : values) note.v[i++] = value;
  return note;
}

// An image memblock's header as the store holds it; size -1 when missing.
struct Header {
  std::int32_t size = -1;
  std::int32_t width = 0, height = 0, depth = 0;
  int BytesPerPixel() const { return depth / 8; }
  bool Drawn() const { return BytesPerPixel() == 2 || BytesPerPixel() == 4; }
};

Header ReadHeader(const CompanionClient& host, std::int32_t m) {
  std::uint8_t bytes[12] = {};
  Header h;
  h.size = host.ReadMemblockAt(m, 0, bytes, 12);
  const auto dword = [&bytes](int at) {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value |= static_cast<std::uint32_t>(bytes[at + i]) << (8 * i);
    return static_cast<std::int32_t>(value);
  };
  if (h.size >= 12) {
    h.width = dword(0);
    h.height = dword(4);
    h.depth = dword(8);
  }
  return h;
}

// Why memblock `m`, whose header is `h`, takes no pixel; kNone when it is an
// image the drawing commands draw.
Note NotAnImage(const Header& h, std::int32_t m, const char* outcome) {
  if (h.size < 0) return Noted(NoteKind::kNoMemblock, outcome, {m});
  if (h.size < 12) return Noted(NoteKind::kShortHeader, outcome, {m, h.size});
  if (!h.Drawn()) return Noted(NoteKind::kDepthNotDrawn, outcome, {m, h.depth});
  return Note{};
}

// The same for image memblock `m`, its header read into `h`.
Note NoImage(const Call& c, std::int32_t m, const char* outcome, Header* h) {
  if (m < 1) return Noted(NoteKind::kNumberBelowOne, outcome, {m});
  *h = ReadHeader(c.host, m);
  return NotAnImage(*h, m, outcome);
}

// Plot and Get Pixel: one pixel of an image.
Note Pixel(const Call& c, const char* outcome, bool plot) {
  const std::int32_t m = c.a[0], x = c.a[1], y = c.a[2];
  Header h;
  const Note no = NoImage(c, m, outcome, &h);
  if (no.kind != NoteKind::kNone) return no;
  if (x < 0 || x >= h.width || y < 0 || y >= h.height) {
    return Noted(NoteKind::kOutside, outcome, {x, y, h.width, h.height});
  }
  // The offset as the command works it out, in 32 bits.
  const std::uint32_t b = static_cast<std::uint32_t>(h.BytesPerPixel());
  const auto offset = static_cast<std::int32_t>(
      static_cast<std::uint32_t>(x) * b +
      static_cast<std::uint32_t>(y) * static_cast<std::uint32_t>(h.width) * b + 12u);
  if (offset < 0 || std::int64_t{offset} + b > h.size) {
    return Noted(NoteKind::kPastMemblockEnd, outcome, {m, offset, h.size});
  }
  const auto colour = static_cast<std::uint32_t>(c.a[3]);
  if (plot && b == 2 && colour >> 16 != 0) {
    return Noted(NoteKind::kLow16Bits, "", {c.a[3], colour & 0xFFFF});
  }
  return Note{};
}

Note Plot(const Call& c) {
  return Pixel(c, "nothing plotted", true);
}
Note GetPixel(const Call& c) {
  return Pixel(c, "nothing read: 0 comes back", false);
}

// Five host calls are those of a pixel found inside an image of a depth that
// is drawn (docs/commands.md, MBC Plot): what is left to tell is a header
// that claims more than its memblock holds, or a colour cut to 16 bits.
template <bool kPlot>
bool PixelQuiet(const CompanionClient& host, const std::int32_t* a, std::uint64_t calls) {
  std::uint8_t header[12];
  const std::int32_t size = host.ReadMemblockAt(a[0], 0, header, 12);
  if (calls != 5 || size < 12) return false;
  const auto dword = [&header](int at) {
    return static_cast<std::uint32_t>(header[at]) |
           static_cast<std::uint32_t>(header[at + 1]) << 8 |
           static_cast<std::uint32_t>(header[at + 2]) << 16 |
           static_cast<std::uint32_t>(header[at + 3]) << 24;
  };
  const std::uint32_t b = dword(8) / 8;  // 2 or 4: the plug-in wrote or read the pixel
  const std::uint32_t offset =
      static_cast<std::uint32_t>(a[1]) * b + static_cast<std::uint32_t>(a[2]) * dword(0) * b + 12u;
  return offset >= 12 && offset <= 0x7FFFFFFF && std::int64_t{offset} + b <= size &&
         !(kPlot && b == 2 && static_cast<std::uint32_t>(a[3]) >> 16 != 0);
}
enum Shape : std::int64_t { kSquare, kBox, kCircle };

// Columns `left` to `right` and rows `top` to `bottom` of a shape, against
// the image: wholly outside, partly, or (kNone) inside. An outline is only
// its four sides, so one that rings the whole image draws nothing.
Note Extents(Shape shape, std::int64_t left, std::int64_t top, std::int64_t right,
             std::int64_t bottom, bool outline, const Header& h) {
  const auto overlaps = [](std::int64_t from, std::int64_t to, std::int64_t size) {
    return size > 0 && from < size && to >= 0;
  };
  const auto within = [](std::int64_t at, std::int64_t size) { return at >= 0 && at < size; };
  if (left >= 0 && right < h.width && top >= 0 && bottom < h.height) return Note{};
  const bool across = overlaps(left, right, h.width), down = overlaps(top, bottom, h.height);
  const bool drawn = outline ? (across && (within(top, h.height) || within(bottom, h.height))) ||
                                   (down && (within(left, h.width) || within(right, h.width)))
                             : across && down;
  return Noted(drawn ? NoteKind::kPartlyOutside : NoteKind::kWhollyOutside, "",
               {shape, left, top, right, bottom, h.width, h.height});
}

Note FillModeOrImage(const Call& c, std::int32_t m, std::int32_t fill, bool fillMatters,
                     Header* h) {
  const char* outcome = "nothing drawn";
  if (m < 1) return Noted(NoteKind::kNumberBelowOne, outcome, {m});
  *h = ReadHeader(c.host, m);
  if (h->size < 0) return Noted(NoteKind::kNoMemblock, outcome, {m});
  if (fillMatters && fill != 0 && fill != 1) return Noted(NoteKind::kFillMode, outcome, {fill});
  return NotAnImage(*h, m, outcome);
}

Note Circle(const Call& c) {
  const std::int32_t m = c.a[0], x = c.a[1], y = c.a[2], d = c.a[3];
  if (m >= 1 && d < 1 && c.host.MemblockExists(m) != 0) {
    return Noted(NoteKind::kDiameterBelowOne, "nothing drawn", {d});
  }
  Header h;
  const Note no = FillModeOrImage(c, m, c.a[5], true, &h);
  if (no.kind != NoteKind::kNone || d < 1) return no;
  // Every sample is round(centre + d/2 * t) with |t| <= 1, and some t lies
  // beyond 0.9999 each way (k = 0, 11, 33 and 355 radians): a side the
  // samples certainly pass, or certainly do not reach, is told; the band
  // between stays untold.
  const double r = d / 2.0;
  const auto beyond = [r](double centre, std::int64_t size, bool* low, bool* high) {
    *low = centre - 0.9999 * r + 0.5 < 0;
    *high = centre + 0.9999 * r - 0.5 > size - 1;
    return centre + r + 0.5 < 0 || centre - r - 0.5 > size - 1;
  };
  bool left = false, right = false, above = false, below = false;
  const bool wholly = beyond(x, h.width, &left, &right) || beyond(y, h.height, &above, &below) ||
                      h.width < 1 || h.height < 1;
  if (!wholly && !left && !right && !above && !below) return Note{};
  return Noted(wholly ? NoteKind::kWhollyOutside : NoteKind::kPartlyOutside, "",
               {kCircle, x, y, d, left | right << 1 | above << 2 | below << 3, h.width, h.height});
}

Note Cube(const Call& c) {
  const std::int32_t m = c.a[0], x = c.a[1], y = c.a[2], size = c.a[3], fill = c.a[5];
  if (m >= 1 && size < 1 && c.host.MemblockExists(m) != 0) {
    return Noted(NoteKind::kSizeBelowOne, "nothing drawn", {size});
  }
  Header h;
  const Note no = FillModeOrImage(c, m, fill, size >= 2, &h);
  if (no.kind != NoteKind::kNone || size < 1) return no;
  const std::int64_t right = std::int64_t{x} + size - 1, bottom = std::int64_t{y} + size - 1;
  if (size >= 2 && fill == 1 && (right > INT32_MAX || bottom > INT32_MAX)) {
    return Noted(NoteKind::kFarCornerWraps, "nothing drawn", {});
  }
  return Extents(kSquare, x, y, right, bottom, size >= 2 && fill == 0, h);
}

Note Box(const Call& c) {
  const std::int32_t m = c.a[0], fill = c.a[6];
  Header h;
  const Note no = FillModeOrImage(c, m, fill, true, &h);
  if (no.kind != NoteKind::kNone) return no;
  // Edges given the wrong way round are put in order, as the command does.
  const std::int64_t left = std::min(c.a[1], c.a[3]), right = std::max(c.a[1], c.a[3]);
  const std::int64_t top = std::min(c.a[2], c.a[4]), bottom = std::max(c.a[2], c.a[4]);
  return Extents(kBox, left, top, right, bottom, fill == 0, h);
}

// How many of `target` columns (or rows) sample at or past `source`: the
// ratio a double quotient stored as a float, each sample the double product
// of the index and the ratio, rounded to nearest with ties to even.
std::int64_t SamplesOutside(std::int32_t source, std::int32_t target) {
  if (source < 1) return target;
  const float ratio = static_cast<float>(static_cast<double>(source) / target);
  const auto outside = [&](std::int32_t i) {
    return std::nearbyint(static_cast<double>(i) * static_cast<double>(ratio)) >= source;
  };
  std::int32_t low = 0, high = target;  // the first index outside lies in [low, high]
  while (low < high) {
    const std::int32_t middle = low + (high - low) / 2;
    if (outside(middle)) {
      high = middle;
    } else {
      low = middle + 1;
    }
  }
  return target - low;
}

// The samples of a stretch from `from` into a target of `width` x `height`.
Note Samples(const Header& from, std::int32_t width, std::int32_t height) {
  const std::int64_t columns = SamplesOutside(from.width, width);
  const std::int64_t rows = SamplesOutside(from.height, height);
  if (columns == 0 && rows == 0) return Note{};
  return Noted(NoteKind::kSamplesOutside, "",
               {columns, rows, width, height, from.width, from.height});
}

Note Stretch(const Call& c) {
  const char* outcome = "nothing stretched";
  const std::int32_t s = c.a[0], t = c.a[1];
  for (std::int32_t m : {s, t}) {
    if (m < 1) return Noted(NoteKind::kNumberBelowOne, outcome, {m});
  }
  const Header from = ReadHeader(c.host, s), to = ReadHeader(c.host, t);
  if (from.size < 0) return Noted(NoteKind::kNoMemblock, outcome, {s});
  if (to.size < 0) return Noted(NoteKind::kNoMemblock, outcome, {t});
  if (to.width < 1 || to.height < 1) {
    return Noted(NoteKind::kTargetEmpty, outcome, {t, to.width, to.height});
  }
  if (s == t) return Noted(NoteKind::kIntoItself, "", {s});
  if (!to.Drawn()) return Noted(NoteKind::kTargetNotDrawn, outcome, {t, to.depth});
  if (!from.Drawn()) return Noted(NoteKind::kSourceNotRead, "", {s, from.depth});
  const Note samples = Samples(from, to.width, to.height);
  if (samples.kind != NoteKind::kNone) return samples;
  if (from.BytesPerPixel() != to.BytesPerPixel()) {
    return Noted(NoteKind::kUnconverted, "", {from.BytesPerPixel(), to.BytesPerPixel()});
  }
  return Note{};
}

// The size a maker asks the host for, worked out in 32 bits as it does.
std::int32_t Wrapped(std::uint32_t size) {
  return static_cast<std::int32_t>(size);
}

// What a maker of an image (width, height, depth) did: refused (result 0),
// made nothing, or made an image that nothing draws.
Note Image(const Call& c, std::int32_t width, std::int32_t height, std::int32_t depth,
           bool fromSource) {
  const std::int32_t n = c.result;
  if (n == 0) {
    if (width < 1 || height < 1) {
      return Noted(NoteKind::kImageSizeBelowOne, "", {width, height});
    }
    if (depth < 16) return Noted(NoteKind::kImageDepthBelow16, "", {depth, fromSource});
    return Noted(NoteKind::kImageGaveUp, "", {});
  }
  c.handedOut.insert(n);
  if (c.host.MemblockExists(n) == 0) {
    const std::uint32_t b = static_cast<std::uint32_t>(depth / 8);
    const std::int32_t size =
        Wrapped(static_cast<std::uint32_t>(width) * static_cast<std::uint32_t>(height) * b + 12u);
    // A size the host makes, refused all the same, found the store full.
    if (size >= 1 && size <= kLargestMemblock) return Noted(NoteKind::kNoRoom, "", {n});
    return Noted(NoteKind::kImageSizeRefused, "", {n, width, height, b, size});
  }
  const int b = depth / 8;
  if (b != 2 && b != 4) return Noted(NoteKind::kDepthUndrawable, "", {n, depth, b});
  return Note{};
}

Note MakeImage(const Call& c) {
  return Image(c, c.a[0], c.a[1], c.a[2], false);
}

Note StretchInto(const Call& c) {
  const std::int32_t s = c.a[0];
  const char* outcome = "0 comes back and no number is taken";
  if (c.result == 0 && s < 1) return Noted(NoteKind::kNumberBelowOne, outcome, {s});
  const Header from = ReadHeader(c.host, s);
  if (c.result == 0 && from.size < 0) return Noted(NoteKind::kNoMemblock, outcome, {s});
  const Note image = Image(c, c.a[1], c.a[2], from.depth, true);
  if (image.kind != NoteKind::kNone || !from.Drawn()) return image;
  return Samples(from, c.a[1], c.a[2]);
}

Note PrepareMesh(const Call& c) {
  const std::int32_t n = c.result;
  if (n == 0) return Noted(NoteKind::kImageGaveUp, "", {});
  c.handedOut.insert(n);
  if (c.host.MemblockExists(n) != 0) return Note{};
  const std::int32_t size = Wrapped(108u * static_cast<std::uint32_t>(c.a[0]) + 16u);
  if (size >= 1 && size <= kLargestMemblock) return Noted(NoteKind::kNoRoom, "", {n});
  return Noted(NoteKind::kMeshSizeRefused, "", {n, c.a[0], size});
}

// A maker that hands out its number whether or not the host made a memblock:
// the size it asks for is its argument when `sized`; `kind` is the resource
// it makes one from, or -1.
Note Made(const Call& c, bool sized, std::int32_t kind, const char* outcome) {
  const std::int32_t n = c.result;
  c.handedOut.insert(n);
  const std::int32_t found = c.host.ReadMemblockAt(n, 0, nullptr, 0);
  if (found >= 0) {
    if (c.countAfter != c.countBefore) return Note{};
    return Noted(NoteKind::kScriptsOwnMemblock, outcome, {n, found});
  }
  if (sized && (c.a[0] < 1 || c.a[0] > kLargestMemblock)) {
    return Noted(NoteKind::kSizeRefused, "", {n, c.a[0]});
  }
  if (kind >= 0 && c.host.ResourceExists(kind, c.a[0]) == 0) {
    return Noted(NoteKind::kNoResource, "", {n, kind, c.a[0]});
  }
  return Noted(NoteKind::kNoRoom, "", {n});
}

Note Make(const Call& c) {
  return Made(c, true, -1, "nothing is made");
}

template <ResourceKind kKind>
Note MakeFrom(const Call& c) {
  return Made(c, false, static_cast<std::int32_t>(kKind), "nothing is made");
}

Note Clone(const Call& c) {
  if (c.result == 0) {
    return Noted(NoteKind::kNoMemblock, "nothing cloned, and no number is taken", {c.a[0]});
  }
  return Made(c, false, -1, "nothing is copied");
}

Note Delete(const Call& c) {
  const std::int32_t n = c.a[0];
  if (n < 1) return Noted(NoteKind::kDeleteBelowOne, "", {n});
  const bool deleted = c.countAfter < c.countBefore;
  if (c.handedOut.erase(n) == 0) return Noted(NoteKind::kDeleteNotHandedOut, "", {n, deleted});
  if (!deleted) return Noted(NoteKind::kDeleteNoMemblock, "", {n});
  return Note{};
}

Note Clear(const Call& c) {
  c.handedOut.clear();
  const std::vector<std::int32_t> left = c.host.Numbers();
  if (left.empty()) return Note{};
  return Noted(NoteKind::kClearLeft, "",
               {left.front(), static_cast<std::int64_t>(left.size()) - 1});
}

Note Initialized(const Call& c) {
  return c.result == 0 ? Noted(NoteKind::kNotBound, "", {}) : Note{};
}

const NoteRule kRules[] = {
    {"MBC_Init", false, false, CallsHost::kMaybe, &Initialized},
    {"MBC_Clear", false, false, CallsHost::kMaybe, &Clear},
    {"MBC_Delete", true, false, CallsHost::kFromNumberOne, &Delete},
    {"MBC_CloneMemblock", true, false, CallsHost::kAlways, &Clone},
    {"MBC_DynamicMake", true, false, CallsHost::kAlways, &Make},
    {"MBC_DynamicMakeFromArray", true, false, CallsHost::kAlways, &MakeFrom<ResourceKind::kArray>},
    {"MBC_DynamicMakeFromBitmap", true, false, CallsHost::kAlways,
     &MakeFrom<ResourceKind::kBitmap>},
    {"MBC_DynamicMakeFromImage", true, false, CallsHost::kAlways, &MakeFrom<ResourceKind::kImage>},
    {"MBC_DynamicMakeFromMesh", true, false, CallsHost::kAlways, &MakeFrom<ResourceKind::kMesh>},
    {"MBC_DynamicMakeFromSound", true, false, CallsHost::kAlways, &MakeFrom<ResourceKind::kSound>},
    {"MakeMemblockImage", false, true, CallsHost::kForAValidImage, &MakeImage},
    {"IMPlot", false, false, CallsHost::kFromNumberOne, &Plot, &PixelQuiet<true>},
    {"IMGetPixel", false, false, CallsHost::kFromNumberOne, &GetPixel, &PixelQuiet<false>},
    {"IMCircle", false, false, CallsHost::kFromNumberOne, &Circle},
    {"IMCube", false, false, CallsHost::kFromNumberOne, &Cube},
    {"IMBox", false, false, CallsHost::kFromNumberOne, &Box},
    {"IMStretch", false, false, CallsHost::kFromNumberOne, &Stretch},
    {"IMStretch2", false, true, CallsHost::kFromNumberOne, &StretchInto},
    {"PrepareMeshMemblock", false, true, CallsHost::kAlways, &PrepareMesh},
};

// ---- the texts ----

std::string N(std::int64_t value) {
  return std::to_string(value);
}

std::string Size(std::int64_t width, std::int64_t height) {
  return N(width) + "x" + N(height);
}

std::string Bytes(std::int64_t count) {
  return count >= 0 ? Plural(static_cast<std::uint64_t>(count), "byte") : N(count) + " bytes";
}

const char* ResourceName(std::int64_t kind) {
  static const char* const kNames[] = {"bitmap", "image", "mesh", "sound", "array"};
  return kind >= 0 && kind < 5 ? kNames[kind] : "resource";
}

// "left of column 0 and below row 11": the sides of a width x height image
// that columns from..to and rows top..bottom pass.
std::string Sides(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom,
                  std::int64_t width, std::int64_t height) {
  std::string sides;
  const auto add = [&sides](const std::string& side) {
    sides += (sides.empty() ? "" : " and ") + side;
  };
  if (left < 0) add("left of column 0");
  if (right >= width) add(width > 0 ? "right of column " + N(width - 1) : "where it has no column");
  if (top < 0) add("above row 0");
  if (bottom >= height) add(height > 0 ? "below row " + N(height - 1) : "where it has no row");
  return sides;
}

const char* ShapeName(std::int64_t shape) {
  return shape == kSquare ? "square" : shape == kBox ? "box" : "circle";
}

std::string LastOnes(std::int64_t count, const char* one, const char* more) {
  return "the last " + (count == 1 ? std::string(one) : N(count) + " " + more);
}

std::string Text(const Note& note) {
  const std::int64_t* v = note.v;
  switch (note.kind) {
    case NoteKind::kNone:
      return "";
    case NoteKind::kNotBound:
      return "the plug-in is not bound to the host: its commands return 0 and call nothing "
             "until MBC Initialized gives 1 (RuzazUrovuv.dll, or its entry VarIvoziVavu, is "
             "missing)";
    case NoteKind::kNumberBelowOne:
      return "memblock numbers start at 1, not " + N(v[0]);
    case NoteKind::kNoMemblock:
      return "memblock " + N(v[0]) + " does not exist";
    case NoteKind::kShortHeader:
      return "memblock " + N(v[0]) + " has " + Bytes(v[1]) +
             ", too few for an image's 12-byte header";
    case NoteKind::kDepthNotDrawn:
      return "memblock " + N(v[0]) + " has depth " + N(v[1]) +
             ", and the drawing commands draw depths 16 to 23 (2 bytes a pixel) and 32 to 39 (4 "
             "bytes) alone";
    case NoteKind::kOutside:
      return "(" + N(v[0]) + ", " + N(v[1]) + ") lies outside the " + Size(v[2], v[3]) +
             " image, " + Sides(v[0], v[1], v[0], v[1], v[2], v[3]);
    case NoteKind::kPastMemblockEnd:
      return "the header of memblock " + N(v[0]) + " claims more pixels than its " + Bytes(v[2]) +
             " hold: the pixel's offset, " + N(v[1]) +
             ", lies outside it, where the reference host moves nothing";
    case NoteKind::kLow16Bits:
      return "a 16-bit image keeps the colour's low 16 bits: " + Hex(v[0], 8) + " is stored as " +
             Hex(v[1], 4);
    case NoteKind::kDiameterBelowOne:
      return "a diameter below 1 (" + N(v[0]) + ")";
    case NoteKind::kSizeBelowOne:
      return "a size below 1 (" + N(v[0]) + ")";
    case NoteKind::kFillMode:
      return "fill mode " + N(v[0]) + " is neither 0 nor 1";
    case NoteKind::kFarCornerWraps:
      return "the far corner (X + Size - 1, Y + Size - 1) wraps past 2147483647";
    case NoteKind::kWhollyOutside:
    case NoteKind::kPartlyOutside: {
      const bool wholly = note.kind == NoteKind::kWhollyOutside;
      const std::string image = "the " + Size(v[5], v[6]) + " image";
      if (v[0] == kCircle) {
        // The sides it certainly passes, as bits: left, right, above, below.
        const std::int64_t s = v[4];
        return "the circle round (" + N(v[1]) + ", " + N(v[2]) + ") of diameter " + N(v[3]) +
               (wholly ? " lies wholly outside " + image + ": nothing drawn"
                       : " reaches " +
                             Sides(s & 1 ? -1 : 0, s & 4 ? -1 : 0, s & 2 ? v[5] : 0,
                                   s & 8 ? v[6] : 0, v[5], v[6]) +
                             " of " + image + ": what lies outside is dropped");
      }
      const std::string span = "the " + std::string(ShapeName(v[0])) + "'s columns " + N(v[1]) +
                               " to " + N(v[3]) + " and rows " + N(v[2]) + " to " + N(v[4]);
      return wholly ? span + " put none of its pixels inside " + image + ": nothing drawn"
                    : span + " reach " + Sides(v[1], v[2], v[3], v[4], v[5], v[6]) + " of " +
                          image + ": what lies outside is dropped";
    }
    case NoteKind::kTargetEmpty:
      return "the target, memblock " + N(v[0]) + ", is " + Size(v[1], v[2]) +
             ": it has no pixel to fill";
    case NoteKind::kIntoItself:
      return "a source stretched into itself is left as it is";
    case NoteKind::kSourceNotRead:
      return "the source, memblock " + N(v[0]) + ", has depth " + N(v[1]) +
             ", whose pixels no command reads: the target is filled with 0";
    case NoteKind::kTargetNotDrawn:
      return "the target, memblock " + N(v[0]) + ", has depth " + N(v[1]) +
             ", into which no command plots";
    case NoteKind::kSamplesOutside: {
      if (v[4] < 1 || v[5] < 1) {
        return "every sample falls outside the " + Size(v[4], v[5]) +
               " source: the target is filled with 0";
      }
      std::string which;
      if (v[0] > 0) which = LastOnes(v[0], "column", "columns");
      if (v[1] > 0) which += (which.empty() ? "" : " and ") + LastOnes(v[1], "row", "rows");
      return which + " of the " + Size(v[2], v[3]) + " target sample outside the " +
             Size(v[4], v[5]) +
             " source (the sample rounds to its width or height, ties to even) and come out 0";
    }
    case NoteKind::kUnconverted:
      return v[1] == 2 ? "the values move unconverted: the 16-bit target keeps each colour's low "
                         "16 bits"
                       : "the values move unconverted: the 32-bit target takes the 16-bit "
                         "source's values as 0 to 0xFFFF, with no alpha";
    case NoteKind::kScriptsOwnMemblock:
      return "number " + N(v[0]) + " names a memblock the script made itself (" + Bytes(v[1]) +
             "): it is handed out with that memblock as it was";
    case NoteKind::kSizeRefused:
      return "the host makes memblocks of 1 byte to 64 MiB, not " + Bytes(v[1]) + ": number " +
             N(v[0]) + " is handed out with no memblock behind it (it still counts)";
    case NoteKind::kImageSizeRefused:
      return N(v[1]) + " x " + N(v[2]) + " x " + N(v[3]) + " + 12 comes to " + Bytes(v[4]) +
             " in 32 bits, and the host makes memblocks of 1 byte to 64 MiB: number " + N(v[0]) +
             " is handed out with no memblock behind it, and its header went nowhere";
    case NoteKind::kMeshSizeRefused:
      return "108 x " + N(v[1]) + " + 16 comes to " + Bytes(v[2]) +
             " in 32 bits, and the host makes memblocks of 1 byte to 64 MiB: number " + N(v[0]) +
             " is handed out with no memblock behind it, and its header went nowhere";
    case NoteKind::kNoResource:
      return "there is no " + std::string(ResourceName(v[1])) + " " + N(v[2]) + ": number " +
             N(v[0]) + " is handed out with no memblock behind it (it still counts)";
    case NoteKind::kNoRoom:
      return "the host made no memblock " + N(v[0]) +
             ": it would pass what the host holds (64 MiB a memblock, 256 MiB in all); the "
             "number is handed out all the same";
    case NoteKind::kImageSizeBelowOne:
      return "a width or height below 1 (" + Size(v[0], v[1]) +
             "): no image is made and no number taken";
    case NoteKind::kImageDepthBelow16:
      return std::string(v[1] ? "the source's depth, " : "a depth below 16, ") + N(v[0]) +
             (v[1] ? ", is below 16" : "") +
             ": no image is made and no number taken (16 for 2-byte pixels, 32 for 4-byte)";
    case NoteKind::kImageGaveUp:
      return "the host reported 65,537 numbers in a row as taken: no number was free for it";
    case NoteKind::kDepthUndrawable:
      return "memblock " + N(v[0]) + " is an image of depth " + N(v[1]) + ", " +
             Plural(static_cast<std::uint64_t>(std::max<std::int64_t>(v[2], 0)), "byte") +
             " a pixel, which no command plots or reads";
    case NoteKind::kDeleteBelowOne:
      return "numbers start at 1: nothing is deleted, and " + N(v[0]) + " comes back as the result";
    case NoteKind::kDeleteNoMemblock:
      return "there was no memblock " + N(v[0]) + " to delete; its number is taken back";
    case NoteKind::kDeleteNotHandedOut:
      return "number " + N(v[0]) +
             " is not one the plug-in handed out (never, or taken back "
             "already)" +
             (v[1] ? ": its memblock is deleted," : ", and there was no memblock to delete:") +
             " the number is taken back all the same, so a later make hands it out, twice if it "
             "is taken back twice";
    case NoteKind::kClearLeft:
      return "memblock " + N(v[0]) + (v[1] > 0 ? " and " + N(v[1]) + " more stay" : " stays") +
             ": the clear deletes numbers 1 up to the highest the plug-in handed out, not above";
  }
  return "";
}

}  // namespace

std::string NoteText(const Note& note) {
  const std::string text = Text(note);
  return *note.outcome == '\0' || text.empty() ? text : text + ": " + note.outcome;
}

const NoteRule* NoteRuleOf(std::string_view exportName) {
  for (const NoteRule& rule : kRules) {
    if (exportName == rule.exportName) return &rule;
  }
  return nullptr;
}

bool NoteTaker::Before(const NoteRule& rule) {
  if (rule.countsBefore) countBefore_ = host_->MemblockCount();
  passedOver_.clear();
  return rule.watchesCalls;
}

QuietCheck QuietCheckOf(const NoteRule& rule) {
  return rule.quiet;
}

void NoteTaker::Called(const HostCall& call) {
  if (call.table == kMemblockTable && call.slot == kMemExistsSlot && call.result == 1) {
    passedOver_.push_back(call.args[0]);
  }
}

Note NoteTaker::After(const NoteRule& rule, const std::int32_t* args, std::int32_t result,
                      std::uint64_t calls) {
  const Call call{
      *host_, args,      result, countBefore_, rule.countsBefore ? host_->MemblockCount() : 0,
      calls,  handedOut_};
  const bool callsHost = rule.callsHost == CallsHost::kAlways ||
                         (rule.callsHost == CallsHost::kFromNumberOne && args[0] >= 1) ||
                         (rule.callsHost == CallsHost::kForAValidImage && args[0] >= 1 &&
                          args[1] >= 1 && args[2] >= 16);
  if (callsHost && calls == 0) return Noted(NoteKind::kNotBound, "", {});
  const Note note = rule.check(call);
  // A maker passes over numbers that name the script's memblocks: they stay
  // handed out. (IMStretch2 asks about its source too, which it does not pass.)
  if (rule.watchesCalls && result != 0) {
    for (std::int32_t k : passedOver_) {
      if (!(std::string_view(rule.exportName) == "IMStretch2" && k == args[0])) {
        handedOut_.insert(k);
      }
    }
  }
  return note;
}

}  // namespace refhost
