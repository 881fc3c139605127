#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "grid/model/TableGrid.h"

namespace metrazil {

// The calculator's decisions on the conversion table, free of any window. Column 0 holds the item name,
// 1 the length unit, 2 the weight unit, 3 the weight-to-length factor and 4 the length-to-weight factor.
// Names, units and factors are table bytes (GB18030); the captions and notices here are UTF-8.

enum class TDirection { LengthToWeight, WeightToLength };

inline constexpr const char* kNoticeMissingInput = "请选择名称及输入数量";
inline constexpr const char* kNoticeBadFactor = "库有问题，计算失败，请维护库";

// Caption in front of the quantity box: "输入长度" or "输入重量".
const char* QuantityCaption(TDirection direction);
// Suffix after the name in the log sentence: "的重量" or "的长度".
const char* ResultSuffix(TDirection direction);
// 4 for length to weight, 3 for weight to length.
int FactorColumn(TDirection direction);

// Row of the first whole-cell, case-insensitive match (the header row excluded); -1 when none matches.
int FindItemRow(const TTableGrid& grid, std::string_view name);

struct TItemUnits {
  std::string quantityUnit;  // shown after the quantity box
  std::string resultUnit;    // shown after the result box
};

// The unit texts of row `row` for the direction. EListError "列表索引越界 (-1)" for the not-found row.
TItemUnits ReadItemUnits(const TTableGrid& grid, int row, TDirection direction);

struct TConversion {
  std::optional<std::string> notice;  // a foreseen problem: show this and change nothing
  std::string result;                 // FormatSixDecimals of the product otherwise
};

// Reads the factor of `row` and multiplies it with the quantity text as typed. Throws EListError for the
// not-found row, EConvertError for a quantity that is not a number and EOverflow for a product out of range.
TConversion Convert(const TTableGrid& grid, int row, std::string_view quantity, TDirection direction);

// Whether a result text is logged: its value read back is not zero.
bool IsLoggedResult(std::string_view result);

}  // namespace metrazil
