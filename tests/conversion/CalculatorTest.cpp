#include <gtest/gtest.h>

#include "conversion/Calculator.h"
#include "conversion/DecimalText.h"

namespace metrazil {
namespace {

// GB18030 bytes of 米 and 公斤, as they stand in a table file.
const std::string kMetre = "\xC3\xD7";
const std::string kKilogram = "\xB9\xAB\xBD\xEF";

class CalculatorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetDecimalSeparator('.');
    grid_.SetFixedCols(0);  // as the main window sets it: column 0 holds the names
    Row(1, {"X1", kMetre, kKilogram, "0.25", "4"});
    Row(2, {"Y2", "m", "kg", "2", "0"});
    Row(3, {"x1", "dup", "dup", "9", "9"});
  }
  void Row(int row, std::initializer_list<std::string> cells) {
    int col = 0;
    for (const std::string& cell : cells) grid_.WriteCell(col++, row, cell);
  }
  TConversion Run(std::string_view name, std::string_view quantity, TDirection direction) {
    return Convert(grid_, FindItemRow(grid_, name), quantity, direction);
  }
  TTableGrid grid_;
};

TEST_F(CalculatorTest, WorkedExampleBothDirections) {
  const int row = FindItemRow(grid_, "X1");
  ASSERT_EQ(row, 1);
  TItemUnits units = ReadItemUnits(grid_, row, TDirection::LengthToWeight);
  EXPECT_EQ(units.quantityUnit, kMetre);
  EXPECT_EQ(units.resultUnit, kKilogram);
  TConversion c = Convert(grid_, row, "100", TDirection::LengthToWeight);
  EXPECT_FALSE(c.notice);
  EXPECT_EQ(c.result, "400.000000");

  units = ReadItemUnits(grid_, row, TDirection::WeightToLength);
  EXPECT_EQ(units.quantityUnit, kKilogram);
  EXPECT_EQ(units.resultUnit, kMetre);
  EXPECT_EQ(Convert(grid_, row, "8", TDirection::WeightToLength).result, "2.000000");
  EXPECT_STREQ(QuantityCaption(TDirection::LengthToWeight), "输入长度");
  EXPECT_STREQ(QuantityCaption(TDirection::WeightToLength), "输入重量");
  EXPECT_STREQ(ResultSuffix(TDirection::LengthToWeight), "的重量");
  EXPECT_STREQ(ResultSuffix(TDirection::WeightToLength), "的长度");
}

TEST_F(CalculatorTest, LookupIsWholeCellCaseInsensitiveFirstMatchColumnByColumn) {
  EXPECT_EQ(FindItemRow(grid_, "x1"), 1);  // the first of two names that differ in case only
  EXPECT_EQ(FindItemRow(grid_, "X"), -1);
  EXPECT_EQ(FindItemRow(grid_, "KG"), 2);  // a unit text is found in its later column
  grid_.WriteCell(0, 0, "Header");
  EXPECT_EQ(FindItemRow(grid_, "header"), -1);
}

TEST_F(CalculatorTest, FactorCheckGivesTheLibraryNotice) {
  struct Case {
    const char* factor;
    bool usable;
  } cases[] = {{"2.", false}, {".5", false},    {"", false},   {"1e3", false}, {"-1", false},
               {" 1", false}, {"1.2.3", false}, {"0.5", true}, {"0", true},    {"007", true}};
  for (const Case& c : cases) {
    grid_.WriteCell(4, 2, c.factor);
    TConversion result = Run("Y2", "3", TDirection::LengthToWeight);
    EXPECT_EQ(result.notice.has_value(), !c.usable) << "factor '" << c.factor << "'";
    if (!c.usable) {
      EXPECT_EQ(*result.notice, kNoticeBadFactor);
    }
  }
}

TEST_F(CalculatorTest, ResultsAndWhetherTheyAreLogged) {
  struct Case {
    const char* quantity;
    const char* factor;
    const char* result;
    bool logged;
  } cases[] = {{"0", "4", "0.000000", false},         {"3", "0", "0.000000", false},    {"-3", "2", "-6.000000", true},
               {"0.0000001", "1", "0.000000", false}, {" 1.5 ", "2", "3.000000", true}, {"1e20", "3", "3E20", true},
               {"0.0000005", "1", "0.000001", true}};
  for (const Case& c : cases) {
    grid_.WriteCell(4, 2, c.factor);
    TConversion result = Run("Y2", c.quantity, TDirection::LengthToWeight);
    ASSERT_FALSE(result.notice) << c.quantity;
    EXPECT_EQ(result.result, c.result) << c.quantity << " x " << c.factor;
    EXPECT_EQ(IsLoggedResult(result.result), c.logged) << c.quantity << " x " << c.factor;
  }
}

TEST_F(CalculatorTest, ErrorsEscapeAsExceptions) {
  try {
    Run("X1", "abc", TDirection::LengthToWeight);
    FAIL() << "no conversion error";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'abc' is 不是一个有效的浮点值");
  }
  try {
    Run("nowhere", "1", TDirection::LengthToWeight);
    FAIL() << "no list error";
  } catch (const EListError& e) {
    EXPECT_STREQ(e.what(), "列表索引越界 (-1)");
  }
  EXPECT_THROW(ReadItemUnits(grid_, -1, TDirection::WeightToLength), EListError);
  grid_.WriteCell(4, 2, "1" + std::string(4000, '0'));
  EXPECT_THROW(Run("Y2", "1e1000", TDirection::LengthToWeight), EOverflow);
}

TEST_F(CalculatorTest, BadFactorIsCheckedBeforeTheQuantity) {
  grid_.WriteCell(3, 1, "2.");
  TConversion result = Run("X1", "abc", TDirection::WeightToLength);
  ASSERT_TRUE(result.notice);
  EXPECT_EQ(*result.notice, kNoticeBadFactor);
}

}  // namespace
}  // namespace metrazil
