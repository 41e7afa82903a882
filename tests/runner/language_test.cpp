// The runner's script language, run in-process against the target on both
// builds: expressions and their 32-bit results, blocks, the mistakes the check
// finds before line 1, the budgets, and what a loop prints.
#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "refhost/runner/script_runner.h"
#include "rows.h"
#include "target.h"

bool Says(const std::string& said, const std::string& wanted);  // in script_test.cpp

namespace {

struct Row {
  const char* name;
  std::string script;
  int status;
  std::string said;            // fragments as Says takes them
  std::uint64_t maxLines = 0;  // 0: the default
  bool trace = false;
};

// A failing row is named by its name, not by its bytes.
void PrintTo(const Row& row, std::ostream* out) {
  *out << row.name;
}

class Language : public ::testing::TestWithParam<Row> {};

// Runs the row's script on a freshly bound plug-in; what it said is compared
// with each run of blanks as one.
TEST_P(Language, SaysWhatItShould) {
  const Row& row = GetParam();
  target::Restart(true);
  refhost::RunnerOptions options;
  if (row.maxLines != 0) options.maxLines = row.maxLines;
  options.trace = row.trace;
  std::istringstream in(row.script);
  std::ostringstream out;
  const int status = refhost::ScriptRunner(target::Plugin(), &target::Host(), options, out).Run(in);
  const std::string said = std::regex_replace(out.str(), std::regex(" +"), " ");
  EXPECT_TRUE(status == row.status && Says(said, row.said)) << "status " << status << "\n" << said;
}

std::string Repeated(const std::string& text, int times) {
  std::string all;
  for (int i = 0; i < times; ++i) all += text;
  return all;
}

// Every operation wraps in 32 bits as the plug-in's arithmetic does; "/"
// truncates toward zero and mod takes the sign of the dividend; ">>" is
// logical; colours stay colours through arithmetic and bitwise operations.
const Row kExpressions[] = {
    {"precedence from the loosest", "print 1 + 2 * 3, (1 + 2) * 3, 2 + 3 << 1, 1 << 2 + 1\n", 0,
     "^7 9 10 8\n"},
    {"comparisons combine bitwise", "x = 5\nprint x >= 0 and x < 64, x > 0 or 0, 3 and 5\n", 0,
     "^1 1 1\n"},
    {"division truncates toward zero", "print 7 / 2, -7 / 2, 7 / -2, 7 mod 2, -7 mod 2, 7 mod -2\n",
     0, "^3 -3 -3 1 -1 1\n"},
    {"wrapping sums and products",
     "print 2147483647 + 1, -2147483648 - 1, 65536 * 65536, 65537 * 65537, -(-2147483648)\n", 0,
     "^-2147483648 2147483647 0 131073 -2147483648\n"},
    {"the lowest mod -1 is 0", "print -2147483648 mod -1\n", 0, "^0\n"},
    {"shifts fill with zeros", "print 0xFF000000 >> 24, -1 >> 31, 1 << 31, 3 << 0\n", 0,
     "^0x000000FF 1 -2147483648 3\n"},
    {"bitwise operations", "print 12 and 10, 12 or 10, 12 xor 10, not 0, not -1\n", 0,
     "^8 14 6 -1 0\n"},
    {"comparisons are signed", "print 0xFFFFFFFF < 0, 4294967295 = -1, 3 <> 3, 2 <= 2, 2 >= 3\n", 0,
     "^1 1 0 1 0\n"},
    {"logical operators give 1 or 0 and stop early",
     "print 5 && 7, 0 && 1 / 0, 0 || 9, 3 || 1 / 0, !5, !0, !!7\n", 0, "^1 0 1 1 0 1 1\n"},
    {"colours through arithmetic, plain through comparisons",
     "c = 0xFF000000\nd = c or 255\nprint d, c + 1, c = c, d > 0, -0x10\n", 0,
     "^0xFF0000FF 0xFF000001 1 0 0xFFFFFFF0\n"},
    {"a command inside an expression",
     "i = MBC Make Memblock Image(2, 2, 32)\nMBC Plot i, 1, 0, 0xFF123456\n"
     "c = MBC Get Pixel(i, 1, 0) and 0xFFFFFF\nprint c, MBC Exist Memblock Count + 1\n",
     0, "c = MBC Get Pixel(i, 1, 0) and 0xFFFFFF => 0x00123456 [5 host calls]\n0x00123456 2\n"},
    {"a command's arguments as expressions, a bracket first among them",
     "i = MBC Make Memblock Image(4, 1, 32)\nx = 1\n"
     "MBC Plot (i), x * 2 + 1, x - 1, 0x7 << 8\nexpect MBC Get Pixel(i, 3, 0), 0x700\n",
     0,
     "MBC Plot (i), x * 2 + 1, x - 1, 0x7 << 8 [5 host calls]\n"
     " expect MBC Get Pixel(i, 3, 0), 0x700 ok [5 host calls]\n"},
    {"names in their letter case, a directive's word among them",
     "img = 1\nImg = 2\nimage = img + Img\nfor c = 0xFE to 0xFF\nnext\nprint img, Img, image, c\n",
     0, "1 2 3 0x000000FF\n"},
    {"keywords in any letter case", "FOR i = 1 TO 2\nIf i = 2\nPRINT i MOD 2, i\nEndIf\nNext\n", 0,
     "0 2\n"},
    {"division by zero", "x = 0\nprint 1 + 4 / x\n", 2, "^line 2, column 13: division by zero\n"},
    {"mod by zero", "x = 0\nprint 4 mod x\n", 2,
     "^line 2, column 9: mod 0: the remainder of a division by zero\n"},
    {"the one division that overflows", "x = -1\nprint -2147483648 / x\n", 2,
     "^line 2, column 19: -2147483648 / -1 is 2147483648, which 32 bits do not hold\n"},
    {"a shift out of range", "n = 32\nprint 1 << n\n", 2,
     "^line 2, column 9: a shift by 32: shifts count 0 to 31\n"},
    {"a variable read before it is set", "print x\nx = 1\n", 2,
     "^line 1: x has no value yet (line 2 is the first to set it)\n"},
};
INSTANTIATE_TEST_SUITE_P(Expressions, Language, ::testing::ValuesIn(kExpressions), RowName<Row>);

// Loops count as worked out before the first pass; a loop that ends shows
// each of its lines once, in all, when the outermost loop is over.
const Row kBlocks[] = {
    {"for counts up, and its variable keeps the last pass",
     "s = 0\nfor i = 1 to 4\n s = s + i\nnext i\nprint s, i\n", 0,
     "^ for i = 1 to 4 4 passes\n s = s + i ran 4 times, the last => 10\n next i\n10 4\n"},
    {"negative steps count down", "for i = 10 to 1 step -3\nprint i\nnext\n", 0, "^10\n7\n4\n1\n"},
    {"a loop with no pass leaves its variable", "i = 7\nfor i = 5 to 4\nprint i\nnext\nprint i\n",
     0, "^ for i = 5 to 4 0 passes\n print i not run\n next\n7\n"},
    {"a loop up to the largest number ends", "for i = 2147483646 to 2147483647\nnext\nprint i\n", 0,
     "^ for i = 2147483646 to 2147483647 2 passes\n next\n2147483647\n"},
    {"a loop over the whole range counts in 64 bits",
     "n = 0\nfor i = -2147483648 to 2147483647 step 1073741824\nn = n + 1\nnext\nprint n, i\n", 0,
     "4 1073741824\n"},
    {"a loop down to the smallest number ends",
     "n = 0\nfor i = -2147483647 to -2147483648 step -2147483648\nn = n + 1\nnext\nprint n, i\n", 0,
     "1 -2147483647\n"},
    {"a step worked out to 0", "s = 0\nfor i = 1 to 2 step s\nnext\n", 2,
     "^line 2: the for's step is 0: it would never end\n"},
    {"while, exit and nested blocks",
     "n = 0\nwhile 1\n n = n + 1\n if n mod 2 = 0\n  print n\n elseif n = 5\n  exit\n else\n"
     "  print -n\n endif\nendwhile\nprint \"after\", n\n",
     0,
     "^-1\n2\n-3\n4\n while 1 5 passes\n n = n + 1 ran 5 times, the last => 5\n if n mod 2 = 0 "
     "taken 2 of 5 times\n print n ran 2 times\n elseif n = 5 taken 1 of 3 times\n exit ran 1 "
     "time\n else\n print -n ran 2 times\n endif\n endwhile\nafter 5\n"},
    {"exit leaves the innermost loop, its variable as it was",
     "n = 0\nfor y = 1 to 3\nfor x = 1 to 9\nif x = 2\nexit\nendif\nn = n + 1\nnext\nnext\n"
     "print n, x, y\n",
     0, "3 2 3\n"},
    {"if outside loops says whether it was taken",
     "x = 3\nif x > 5\nprint \"big\"\nelseif x > 2\nprint \"middle\"\nelse\nprint "
     "\"small\"\nendif\n",
     0, "^ if x > 5 not taken\n elseif x > 2 taken\nmiddle\n"},
    {"a command in a loop, summed up",
     "i = MBC Make Memblock Image(3, 2, 32)\nfor y = 0 to 1\nfor x = 0 to 2\n"
     "MBC Plot i, x, y, x + y\nc = MBC Get Pixel(i, x, y)\nexpect c, x + y\nnext\nnext\n",
     0,
     " for y = 0 to 1 2 passes\n for x = 0 to 2 6 passes in 2 runs\n MBC Plot i, x, y, x + y ran 6 "
     "times [30 host calls]\n c = MBC Get Pixel(i, x, y) ran 6 times, the last => 0x00000003 [30 "
     "host calls]\n expect c, x + y 6 held\n next\n next\n"},
    {"failures inside a loop name the loop's variables, ten at most",
     "for y = 1 to 2\nfor x = 1 to 7\nexpect x, 0\nnext\nnext\n", 1,
     "^ line 3 (x = 1, y = 1): expect x, 0 FAILED: got 1, wanted 0\n ... line 3 (x = 3, y = 2): "
     "expect x, 0 FAILED: got 3, wanted 0\n for y = 1 to 2 2 passes\n ... expect x, 0 0 held, 14 "
     "FAILED (4 of them not shown)\n ... 14 expectations failed\n"},
    {"what a loop asked to show, each time", "for x = 1 to 2\nshow x\nnext\n", 0,
     "^ line 2 (x = 1): show x memblock 1 does not exist\n line 2 (x = 2): show x memblock 2 "
     "does not exist\n"},
    {"a line that cannot run inside a loop", "for x = 1 to 3\nv = dword x, 0\nnext\n", 2,
     "^ for x = 1 to 3 1 pass\n v = dword x, 0 ran 1 time\n next\nline 2 (x = 1): memblock 1 "
     "does not exist\n"},
};
INSTANTIATE_TEST_SUITE_P(Blocks, Language, ::testing::ValuesIn(kBlocks), RowName<Row>);

// The whole script is checked before line 1: every mistake is named by its
// line and column, in line order however it was found, and nothing runs.
const Row kMistakes[] = {
    {"every mistake, in line order",
     "for i = 1 to 3\nx = 4.5\nprint total\nMBC Plott 1\nendwhile\nprint \"not run\"\n", 2,
     "^line 1, column 1: this for is never closed: next is missing before the end of the script\n"
     "line 2, column 5: bad number: 4.5 (whole numbers only, in decimal digits or 0x and "
     "hexadecimal)\nline 3, column 7: unknown variable total (a variable is made by \"NAME = "
     "...\")\nline 4, column 1: unknown command: MBC Plott 1; did you mean \"MBC Plot\"?\n"
     "line 5, column 1: endwhile, but the for of line 1 is still open\n5 mistakes found before "
     "line 1; no line was run\n"},
    {"twenty shown, the rest counted", Repeated("x = 1 +\n", 23), 2,
     "line 20, column 8: a value is missing at the end of the line\nand 3 more\n23 mistakes"},
    {"blocks closed that were never opened", "next\nendif\nelse\nendwhile\nexit\n", 2,
     "^line 1, column 1: next without a for\nline 2, column 1: endif without an if\nline 3, "
     "column 1: else without an if\nline 4, column 1: endwhile without a while\nline 5, column 1: "
     "exit outside a loop: exit leaves the innermost for or while\n"},
    {"crossed blocks name both lines", "while 1\nif 1\nendwhile\nendif\n", 2,
     "^line 3, column 1: endwhile, but the if of line 2 is still open\nline 4, column 1: endif "
     "without an if\n"},
    {"an if's branches in order", "if 1\nelse\nelseif 2\nelse\nendif\n", 2,
     "^line 3, column 1: elseif after the else of line 2\nline 4, column 1: a second else for the "
     "if of line 1\n"},
    {"a loop's variable is its own",
     "for i = 1 to 2\ni = 5\nfor i = 1 to 2\nnext\nnext j\nfor k = 1 to 2 step 0\nnext\n", 2,
     "^line 2, column 1: i counts the passes of the for of line 1: it cannot be set inside that "
     "loop\nline 3, column 5: i already counts the passes of the for of line 1\nline 5, column 6: "
     "next j, but the for of line 1 counts i\nline 6, column 21: a for counts by a step other than "
     "0 (a step of 0 never ends)\n"},
    {"keywords are not names", "next = 1\nx = 2 + to\nFor = 3\n", 2,
     "^line 1, column 1: \"next\" is a keyword of the language: a variable needs another name\n"
     "line 2, column 9: \"to\" is a keyword of the language, not a value\nline 3, column 1: "
     "\"For\" is a keyword"},
    {"what an expression cannot say",
     "a = 1 < 2 < 3\nb = not (1 = 2)\nc = \"text\"\nd = 1 == 1\ne = 1 != 2\nf = 5 % 2\ng = 1 & 2\n"
     "h = 2 +\ni = (1 + 2\nj = 1 2\n",
     2,
     "^line 1, column 11: comparisons do not chain (\"a < b < c\" compares a 1 or 0 with c): "
     "write \"a < b and b < c\"\nline 2, column 5: \"not\" flips every bit, so not of a "
     "comparison is -1 or -2, never 0: write \"!(...)\"\nline 3, column 5: \"text\" where a "
     "number belongs\nline 4, column 7: \"==\" is written \"=\" here\nline 5, column 7: \"!=\" is "
     "written \"<>\" here\nline 6, column 7: \"%\" is written \"mod\" here\nline 7, column 7: "
     "\"&\" is written \"and\" here (bitwise), or \"&&\" (logical)\nline 8, column 8: a value is "
     "missing at the end of the line\nline 9, column 11: missing \")\"\nline 10, column 7: \"2\" "
     "after the value: a line holds one statement\n"},
    {"numbers the language does not take", "a = 4.5\nb = 1e3\nc = 12z\nd = -2147483649\n", 2,
     "^line 1, column 5: bad number: 4.5 (whole numbers only, in decimal digits or 0x and "
     "hexadecimal)\nline 2, column 5: bad number: 1e3 (whole numbers only, ... line 3, column 5: "
     "bad number: 12z (decimal digits, or 0x and hexadecimal digits)\nline 4, column 5: number "
     "out of range: -2147483649 (numbers run from -2147483648 to 4294967295, or 0xFFFFFFFF)\n"},
    {"commands inside expressions",
     "a = MBC Get Pixle(1, 0, 0)\nb = MBC Plot(1, 0, 0, 7) + 1\nc = MBC Get Pixel(1, 0) + 1\n", 2,
     "^line 1, column 5: unknown command: MBC Get Pixle(1, 0, 0); did you mean \"MBC Get "
     "Pixel\"?\nline 2, column 5: MBC Plot returns no value to compute with\nline 3, column 5: "
     "MBC Get Pixel takes 3 arguments (Memblock Number, X, Y), not 2\n"},
    {"expressions nest 64 deep at most",
     "a = " + Repeated("(", 63) + "1" + Repeated(")", 63) + "\nb = " + Repeated("-", 64) +
         "x\nc = " + Repeated("(", 1 << 20) + "\n",
     2,
     "^line 2, column 69: an expression nests 64 deep at most (brackets, signs and commands "
     "inside one another)\nline 3, column 69: an expression nests"},
    {"blocks nest 32 deep at most", Repeated("if 1\n", 33) + Repeated("endif\n", 33), 2,
     "^line 33, column 1: blocks nest 32 deep at most\n1 mistake"},
};
INSTANTIATE_TEST_SUITE_P(Mistakes, Language, ::testing::ValuesIn(kMistakes), RowName<Row>);

// The budgets: lines run, each pass of a loop counted; the host calls of one
// command stay as program_test.cpp shows them.
const Row kBudgets[] = {
    {"a runaway loop meets --max-lines", "n = 0\nwhile 1\nn = n + 1\nendwhile\n", 2,
     "^ while 1 500 passes\n n = n + 1 ran 499 times, the last => 499\n endwhile\nline 3: the "
     "script has run 1000 lines, the most it may; stopped (--max-lines sets the limit)\n",
     1000},
    {"the default budget stops one too", "while 1\nendwhile\n", 2,
     "^ while 1 10000000 passes\n endwhile\nline 1: the script has run 10000000 lines,"},
    {"a loop just within the budget: its for, each next, the print",
     "for i = 1 to 3\nnext\nprint i\n", 0, "3\n", 5},
    {"a budget spent within a loop, a command its last line",
     "for i = 1 to 3\nMBC Exist Memblock Count\nnext\n", 2,
     "^ for i = 1 to 3 2 passes\n MBC Exist Memblock Count ran 2 times, the last => 0 [0 host "
     "calls]\n next\nline 3 (i = 2): the script has run 4 lines,",
     4},
    {"a line of 300,000 arguments is read in a time in step with its length",
     "array 1" + Repeated(", 7", 300000) + "\n", 0, "host array 1: 300000 bytes\n"},
    {"--trace shows every pass",
     "i = MBC Make Memblock Image(2, 1, 32)\nfor x = 0 to 1\nMBC Plot i, x, 0, 7\nnext\n", 0,
     "MemWriteDword(1, 8, 32) -> 0\n => 1 [5 host calls]\n line 3 (x = 0): MBC Plot i, x, 0, 7\n"
     " MemExists(1) -> 1\n ... MemWriteDword(1, 12, 0x00000007) -> 0\n [5 host calls]\n line 3 "
     "(x = 1): MBC Plot i, x, 0, 7\n ... MemWriteDword(1, 16, 0x00000007) -> 0\n [5 host calls]\n"
     " for x = 0 to 1 2 passes\n MBC Plot i, x, 0, 7 ran 2 times [10 host calls]\n",
     0, true},
};
INSTANTIATE_TEST_SUITE_P(Budgets, Language, ::testing::ValuesIn(kBudgets), RowName<Row>);

}  // namespace
