#include "conversion/Calculator.h"

#include "conversion/DecimalText.h"

namespace metrazil {

const char* QuantityCaption(TDirection direction) {
  return direction == TDirection::LengthToWeight ? "输入长度" : "输入重量";
}

const char* ResultSuffix(TDirection direction) { return direction == TDirection::LengthToWeight ? "的重量" : "的长度"; }

int FactorColumn(TDirection direction) { return direction == TDirection::LengthToWeight ? 4 : 3; }

int FindItemRow(const TTableGrid& grid, std::string_view name) { return grid.LocateText(name).row; }

TItemUnits ReadItemUnits(const TTableGrid& grid, int row, TDirection direction) {
  std::string length = grid.ReadCell(1, row);
  std::string weight = grid.ReadCell(2, row);
  if (direction == TDirection::LengthToWeight) return {std::move(length), std::move(weight)};
  return {std::move(weight), std::move(length)};
}

TConversion Convert(const TTableGrid& grid, int row, std::string_view quantity, TDirection direction) {
  const std::string factor = grid.ReadCell(FactorColumn(direction), row);
  if (!IsPlainDecimal(factor)) return {kNoticeBadFactor, {}};
  const long double q = ParseDecimal(quantity);
  const long double p = ParseDecimal(factor);
  return {std::nullopt, FormatSixDecimals(MultiplyExtended(p, q))};
}

bool IsLoggedResult(std::string_view result) { return ParseDecimal(result) != 0; }

}  // namespace metrazil
