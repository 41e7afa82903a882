// How the host stand-in reads command-table rows, script lines and image
// memblocks.
#include <gtest/gtest.h>

#include "refhost/runner/command_row.h"
#include "refhost/runner/png_export.h"
#include "refhost/runner/script_line.h"

namespace {

using refhost::Operand;
using refhost::ParseCommandRow;
using refhost::ParseNumber;
using refhost::ParseScriptLine;
using refhost::Statement;

const std::vector<std::string> kNames = {"MBC Make Memblock", "MBC Make Memblock Image", "MBC Plot",
                                         "MBC Exist Memblock Count"};
const std::vector<std::string> kDirectives = {"print", "save", "bitmap"};

Operand Num(std::int32_t n) {
  return Operand{Operand::Kind::Number, n, {}};
}
Operand Var(const char* name) {
  return Operand{Operand::Kind::Variable, 0, name};
}
Operand Text(const char* text) {
  return Operand{Operand::Kind::Text, 0, text};
}

TEST(CommandRow, FieldsOfRowsWithAndWithoutResult) {
  auto stretch = ParseCommandRow(u"MBC Stretch Image[%LLLL%IMStretch2%Source IM, Width, Height");
  ASSERT_TRUE(stretch);
  EXPECT_EQ(stretch->scriptName, "MBC Stretch Image");
  EXPECT_TRUE(stretch->returnsValue);
  EXPECT_EQ(stretch->resultType, 'L');
  EXPECT_EQ(stretch->paramTypes, "LLL");
  EXPECT_EQ(stretch->exportName, "IMStretch2");
  EXPECT_EQ(stretch->hint, "Source IM, Width, Height");

  auto clear = ParseCommandRow(u"MBC Clear All Memblocks%0%MBC_Clear%");
  ASSERT_TRUE(clear);
  EXPECT_FALSE(clear->returnsValue);
  EXPECT_EQ(clear->ParamCount(), 0u);
  EXPECT_EQ(clear->hint, "");

  auto count = ParseCommandRow(u"MBC Exist Memblock Count[%L%MBC_Count%");
  ASSERT_TRUE(count);
  EXPECT_EQ(count->ParamCount(), 0u);
  EXPECT_EQ(count->resultType, 'L');

  auto plot = ParseCommandRow(u"MBC Plot%LLLL%IMPlot%Memblock Number, X, Y, RGBColor");
  ASSERT_TRUE(plot);
  EXPECT_EQ(plot->ParamCount(), 4u);
  EXPECT_TRUE(refhost::RowMatches(*plot, "mbc PLOT", 4));
  EXPECT_FALSE(refhost::RowMatches(*plot, "MBC Plot", 3));
}

TEST(CommandRow, RowsTheHostCannotCallAreRefused) {
  EXPECT_FALSE(ParseCommandRow(u"MBC Plot%LLLL%IMPlot"));     // three fields
  EXPECT_FALSE(ParseCommandRow(u"MBC Plot%LL%IMPlot%a%b"));   // five fields
  EXPECT_FALSE(ParseCommandRow(u"MBC Plot%LF%IMPlot%"));      // a float parameter
  EXPECT_FALSE(ParseCommandRow(u"MBC Count[%0%MBC_Count%"));  // result without letter
  EXPECT_FALSE(ParseCommandRow(u"MBC Count[%%MBC_Count%"));
  EXPECT_FALSE(ParseCommandRow(u"%L%MBC_Count%"));            // no name
  EXPECT_FALSE(ParseCommandRow(u"MBC Count%L%%"));            // no export
  EXPECT_FALSE(ParseCommandRow(u"MBC Pl\u00f6t%L%IMPlot%"));  // not ASCII
}

TEST(ScriptNumber, DecimalHexNegativeAndTheirLimits) {
  std::int32_t v = 0;
  EXPECT_TRUE(ParseNumber("42", &v));
  EXPECT_EQ(v, 42);
  EXPECT_TRUE(ParseNumber("-0x10", &v));
  EXPECT_EQ(v, -16);
  EXPECT_TRUE(ParseNumber("0xFF00ff00", &v));
  EXPECT_EQ(v, static_cast<std::int32_t>(0xFF00FF00u));
  EXPECT_TRUE(ParseNumber("4294967295", &v));
  EXPECT_EQ(v, -1);
  EXPECT_TRUE(ParseNumber("-2147483648", &v));
  EXPECT_EQ(v, INT32_MIN);
  EXPECT_FALSE(ParseNumber("4294967296", &v));
  EXPECT_FALSE(ParseNumber("-2147483649", &v));
  EXPECT_FALSE(ParseNumber("0x", &v));
  EXPECT_FALSE(ParseNumber("12a", &v));
  EXPECT_FALSE(ParseNumber("-", &v));
}

TEST(ScriptLine, CommandsMatchTheLongestNameWithOrWithoutBrackets) {
  auto image =
      ParseScriptLine("img = mbc make memblock image(64, h, 0x20)  # comment", kNames, kDirectives);
  ASSERT_TRUE(image.ok) << image.error;
  EXPECT_EQ(image.statement.kind, Statement::Kind::Command);
  EXPECT_EQ(image.statement.target, "img");
  EXPECT_EQ(image.statement.name, "MBC Make Memblock Image");
  EXPECT_EQ(image.statement.args, (std::vector<Operand>{Num(64), Var("h"), Num(32)}));

  auto plain = ParseScriptLine("  MBC Make Memblock 100", kNames, kDirectives);
  ASSERT_TRUE(plain.ok);
  EXPECT_EQ(plain.statement.name, "MBC Make Memblock");
  EXPECT_EQ(plain.statement.args, std::vector<Operand>{Num(100)});

  auto none = ParseScriptLine("n = MBC Exist Memblock Count()", kNames, kDirectives);
  ASSERT_TRUE(none.ok);
  EXPECT_TRUE(none.statement.args.empty());
}

TEST(ScriptLine, AssignmentsDirectivesAndEmptyLines) {
  auto set = ParseScriptLine("colour = -0x10", kNames, kDirectives);
  ASSERT_TRUE(set.ok);
  EXPECT_EQ(set.statement.kind, Statement::Kind::Assign);
  EXPECT_EQ(set.statement.args, std::vector<Operand>{Num(-16)});

  auto save = ParseScriptLine("save img, \"a, #1.png\"", kNames, kDirectives);
  ASSERT_TRUE(save.ok) << save.error;
  EXPECT_EQ(save.statement.kind, Statement::Kind::Directive);
  EXPECT_EQ(save.statement.args, (std::vector<Operand>{Var("img"), Text("a, #1.png")}));

  auto blank = ParseScriptLine("   # only a comment", kNames, kDirectives);
  ASSERT_TRUE(blank.ok);
  EXPECT_EQ(blank.statement.kind, Statement::Kind::Empty);
}

TEST(ScriptLine, MistakesAreRefusedWithAReason) {
  EXPECT_EQ(ParseScriptLine("MBC Plott 1, 2", kNames, kDirectives).error,
            "unknown command: MBC Plott 1, 2");
  EXPECT_FALSE(ParseScriptLine("MBC Plot(1, 2", kNames, kDirectives).ok);
  EXPECT_FALSE(ParseScriptLine("MBC Plot 1,, 2", kNames, kDirectives).ok);
  EXPECT_FALSE(ParseScriptLine("MBC Plot 1, 99999999999", kNames, kDirectives).ok);
  EXPECT_FALSE(ParseScriptLine("x = \"text\"", kNames, kDirectives).ok);
  EXPECT_FALSE(ParseScriptLine("print \"open", kNames, kDirectives).ok);
  EXPECT_FALSE(ParseScriptLine("draw 1", kNames, kDirectives).ok);
}

std::vector<std::uint8_t> Memblock(std::vector<std::uint32_t> dwords) {
  std::vector<std::uint8_t> bytes;
  for (std::uint32_t d : dwords) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<std::uint8_t>(d >> (8 * i)));
  }
  return bytes;
}

TEST(ImageMemblockDecoding, DepthsThirtyTwoAndSixteen) {
  refhost::RgbImage image;
  std::string error;
  ASSERT_TRUE(
      refhost::DecodeImageMemblock(Memblock({2, 1, 32, 0xFF102030u, 0x00A0B0C0u}), &image, &error))
      << error;
  EXPECT_EQ(image.width, 2);
  EXPECT_EQ(image.rgb, std::vector<std::uint8_t>({0x10, 0x20, 0x30, 0xA0, 0xB0, 0xC0}));

  // Two 5-6-5 pixels in one dword: full red, then full green.
  ASSERT_TRUE(refhost::DecodeImageMemblock(Memblock({2, 1, 16, 0x07E0F800u}), &image, &error));
  EXPECT_EQ(image.rgb, std::vector<std::uint8_t>({255, 0, 0, 0, 255, 0}));
}

TEST(ImageMemblockDecoding, MemblocksThatAreNotDrawableImagesAreRefused) {
  refhost::RgbImage image;
  std::string error;
  EXPECT_FALSE(refhost::DecodeImageMemblock(Memblock({2, 2, 24, 0, 0}), &image, &error));
  EXPECT_FALSE(refhost::DecodeImageMemblock(Memblock({2, 2, 32, 0, 0, 0}), &image, &error));
  EXPECT_EQ(error, "memblock shorter than its header says");
  EXPECT_FALSE(refhost::DecodeImageMemblock(Memblock({0, 2, 32}), &image, &error));
  EXPECT_FALSE(refhost::DecodeImageMemblock(Memblock({1, 1}), &image, &error));
}

}  // namespace
