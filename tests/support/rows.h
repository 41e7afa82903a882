// Tables of rows as tests: each row a test of its own, named after the row, so
// that a failing row is reported by name and runs alone
// (--gtest_filter='Stretch.Row/an_empty_target*', ctest -R an_empty_target).
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <string>

// `text` as a test name: its letters and digits, each run of anything else as
// one "_" ("a box's outline" is "a_box_s_outline").
inline std::string TestName(const std::string& text) {
  std::string name;
  for (const unsigned char c : text) {
    if (std::isalnum(c)) {
      name += static_cast<char>(c);
    } else if (!name.empty() && name.back() != '_') {
      name += '_';
    }
  }
  if (!name.empty() && name.back() == '_') name.pop_back();
  return name;
}

// For INSTANTIATE_TEST_SUITE_P: each row named after its `name`.
template <typename Row>
std::string RowName(const ::testing::TestParamInfo<Row>& info) {
  return TestName(info.param.name);
}

// The behaviour rows of `table` (cases.h), each a test SUITE.Row/<its name>.
#define CASE_ROWS(Suite, table)                                  \
  class Suite : public ::testing::TestWithParam<cases::Case> {}; \
  TEST_P(Suite, Row) {                                           \
    EXPECT_EQ(cases::Check(GetParam()), "");                     \
  }                                                              \
  INSTANTIATE_TEST_SUITE_P(, Suite, ::testing::ValuesIn(table), RowName<cases::Case>)
