#include "ratio_options.h"

#include <cstdlib>
#include <cstring>

namespace bench {
namespace {

// The whole of `text` as a number, or false.
bool ParseNumber(const char* text, double* value) {
  char* end = nullptr;
  *value = std::strtod(text, &end);
  return end != text && *end == '\0';
}

}  // namespace

bool ParseRatioOptions(int argc, char** argv, bool native, RatioOptions* options,
                       std::string* error) {
  for (int i = 1; i < argc; ++i) {
    const std::string flag = argv[i];
    const bool takesValue = flag == "--budget" || flag == "--half-width" || flag == "--min-pairs" ||
                            flag == "--json" || (native && flag == "--clock");
    const char* value = nullptr;
    if (takesValue) {
      if (i + 1 >= argc) {
        *error = flag + " needs a value";
        return false;
      }
      value = argv[++i];
    }
    double number = 0;
    if (flag == "--budget" || flag == "--half-width" || flag == "--min-pairs") {
      if (!ParseNumber(value, &number) || !(number >= 0)) {
        *error = flag + " takes a number of at least 0, not '" + value + "'";
        return false;
      }
    }
    if (flag == "--budget") {
      options->sampling.budgetSeconds = number;
    } else if (flag == "--half-width") {
      options->sampling.halfWidth = number;
    } else if (flag == "--min-pairs") {
      if (number < 1 || number != static_cast<double>(static_cast<std::size_t>(number))) {
        *error = std::string("--min-pairs takes a whole number of at least 1, not '") + value + "'";
        return false;
      }
      options->sampling.minPairs = static_cast<std::size_t>(number);
    } else if (flag == "--json") {
      options->jsonPath = value;
    } else if (native && flag == "--clock") {
      if (std::strcmp(value, "cpu") != 0 && std::strcmp(value, "wall") != 0) {
        *error = std::string("--clock takes cpu or wall, not '") + value + "'";
        return false;
      }
      options->wallClock = std::strcmp(value, "wall") == 0;
    } else if (native && flag == "--instructions") {
      options->instructions = true;
    } else if (native && flag == kCountingChildFlag) {
      options->countingChild = true;
    } else {
      *error = "unknown argument '" + flag + "'";
      return false;
    }
  }
  return true;
}

}  // namespace bench
