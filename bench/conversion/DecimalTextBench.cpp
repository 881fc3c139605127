// ParseDecimal and FormatSixDecimals against the C library's strtold and snprintf("%.6Lf") on the same mix of
// quantity and factor texts and result values; each reported time is one call.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "conversion/DecimalText.h"

namespace {

const std::vector<std::string>& Texts() {
  static const std::vector<std::string> texts = {
      "100",
      "0.25",
      "12.5",
      "1e3",
      " 7 ",
      "123456789012345678",
      "0.123456789012345678",
      "4",
      "2.5",
      "-3",
      "0.000001",
      "400.000000",
      "987654321.123456789",
      "8",
      "1.5E-3",
      "1000000.000000",
  };
  return texts;
}

const std::vector<long double>& Values() {
  static const std::vector<long double> values = {
      400.0L,  2.0L,   0.0L,  -6.0L,       3.125L,  12.3456789L, 1.8e17L,         0.0000015L,
      2.5e20L, 0.125L, 1e-9L, 12345.6789L, 99.995L, 7.0L,        123456789.0123L, 0.333333333333333333L,
  };
  return values;
}

void BM_ParseDecimal(benchmark::State& state) {
  const auto& texts = Texts();
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(metrazil::ParseDecimal(texts[i]));
    if (++i == texts.size()) i = 0;
  }
}
BENCHMARK(BM_ParseDecimal);

void BM_Strtold(benchmark::State& state) {
  const auto& texts = Texts();
  size_t i = 0;
  for (auto _ : state) {
    char* end;
    benchmark::DoNotOptimize(std::strtold(texts[i].c_str(), &end));
    benchmark::DoNotOptimize(end);
    if (++i == texts.size()) i = 0;
  }
}
BENCHMARK(BM_Strtold);

void BM_FormatSixDecimals(benchmark::State& state) {
  const auto& values = Values();
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(metrazil::FormatSixDecimals(values[i]));
    if (++i == values.size()) i = 0;
  }
}
BENCHMARK(BM_FormatSixDecimals);

// Into a stack buffer, without even building a string.
void BM_SnprintfSixDecimals(benchmark::State& state) {
  const auto& values = Values();
  size_t i = 0;
  char buffer[96];
  for (auto _ : state) {
    benchmark::DoNotOptimize(std::snprintf(buffer, sizeof buffer, "%.6Lf", values[i]));
    benchmark::ClobberMemory();
    if (++i == values.size()) i = 0;
  }
}
BENCHMARK(BM_SnprintfSixDecimals);

}  // namespace
