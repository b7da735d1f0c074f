// The orbital table file: header, one block of 1000 rows and a separator line per shell.
#include "results/orbital_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "results_fixture.h"

namespace hf::test {
namespace {

// An exponent field "-1.25000000D-05" as a number.
double field_value(std::string field) {
  std::replace(field.begin(), field.end(), 'D', 'E');
  return std::stod(field);
}

std::string point_field(int i) {
  char text[8];
  std::snprintf(text, sizeof text, "%5d", i);
  return text;
}

// Values of every sign and of exponents -4 to 4, at every point of the shell.
double pattern(int i, int j) { return (j == 1 ? 1.0 : -1.0) * std::sin(i) * std::pow(10.0, i % 9 - 4); }

TEST_F(ResultsTest, OrbitalTableHoldsEveryPointOfEveryShell) {
  add_shell(1, 0, 2, -0.5, [](double) { return 0.0; });
  add_shell(10, 2, 10, -1234.5, [](double) { return 0.0; });
  atom.shells.shell_extent(1) = 812;
  atom.shells.shell_extent(2) = 1000;
  for (int j = 1; j <= 2; ++j)
    for (int i = 1; i <= kGridPoints; ++i) atom.hf.orbital_p(i, j) = pattern(i, j);
  // The example row of a 1s shell at point 2.
  atom.grid.radius(2) = 2.5e-06;
  atom.hf.orbital_p(2, 1) = 1.25e-05;

  write_orbital_table();
  const std::string text = table_text();
  ASSERT_GE(text.size(), 2u);
  EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), std::count(text.begin(), text.end(), '\r'));
  const std::vector<std::string> lines = lines_of(text);
  ASSERT_EQ(lines.size(), 1u + 1001u * 2u);
  EXPECT_EQ(lines[0], " n  l       name       Enl           i    R=0-30 a.u.       psi_nl");
  EXPECT_EQ(lines[0].size(), 66u);

  EXPECT_EQ(lines[2], " 1  0  812   1s   -5.00000000D-01    2   2.50000000D-06   1.25000000D-05");
  const std::string shell_columns[] = {" 1  0  812   1s   -5.00000000D-01", "10  2 1000  10d   -1.23450000D+03"};
  for (int j = 1; j <= 2; ++j) {
    const std::size_t block = 1 + 1001 * static_cast<std::size_t>(j - 1);
    EXPECT_EQ(lines[block].substr(40, 15), " 0.00000000D+00") << "radius of row 1";
    for (int i = 1; i <= kGridPoints; ++i) {
      const std::string& row = lines[block + static_cast<std::size_t>(i) - 1];
      ASSERT_EQ(row.size(), 72u) << "shell " << j << " row " << i;
      ASSERT_EQ(row.substr(0, 33), shell_columns[j - 1]) << "row " << i;
      ASSERT_EQ(row.substr(33, 5), point_field(i));
      ASSERT_EQ(row.substr(38, 2), "  ");
      ASSERT_EQ(row.substr(55, 2), "  ");
      const double r = atom.grid.radius(i);
      const double p = atom.hf.orbital_p(i, j);
      // Eight decimals of the mantissa: within half a unit of the ninth digit. Past the
      // extent the table shows what orbital_p holds there.
      ASSERT_LE(std::fabs(field_value(row.substr(40, 15)) - r), 5e-9 * r) << "row " << i;
      ASSERT_LE(std::fabs(field_value(row.substr(57, 15)) - p), 5e-9 * std::fabs(p)) << "row " << i;
    }
    EXPECT_EQ(lines[block + 1000], " ") << "separator after shell " << j;
  }
  EXPECT_EQ(lines[1000].substr(33, 5), " 1000");
}

struct NameCase {
  const char* what;
  Text4 symbol;
  const char* file;
};

void PrintTo(const NameCase& c, std::ostream* out) { *out << c.file; }

class OrbitalTableName : public ::testing::TestWithParam<NameCase> {};

// Leading blanks are dropped, inner and trailing ones kept.
TEST_P(OrbitalTableName, IsTheSymbolThenDat) { EXPECT_EQ(orbital_table_file_name(GetParam().symbol), GetParam().file); }

INSTANTIATE_TEST_SUITE_P(Symbols, OrbitalTableName,
                         ::testing::Values(NameCase{"trailing_blanks", {'H', 'e', ' ', ' '}, "He  .dat"},
                                           NameCase{"leading_blank", {' ', 'N', 'e', ' '}, "Ne .dat"},
                                           NameCase{"two_leading_blanks", {' ', ' ', 'X', 'e'}, "Xe.dat"},
                                           NameCase{"sign", {'C', 'u', '+', ' '}, "Cu+ .dat"},
                                           NameCase{"four_letters", {'H', 'e', 'l', 'i'}, "Heli.dat"}),
                         [](const auto& info) { return std::string(info.param.what); });

}  // namespace
}  // namespace hf::test
