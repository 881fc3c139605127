// Telling a 1M-row table's encoding, in GB18030, UTF-8 and plain ASCII, next to a memchr pass over the
// same bytes in memory, and converting the cells of its UTF-8 form to GB18030.
#include <benchmark/benchmark.h>
#include <iconv.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "grid/file/TableFileEncoding.h"
#include "grid/file/Utf8ToGb18030.h"
#include "support/BenchTables.h"

namespace metrazil {
namespace {

constexpr int kRows = 1000000;
constexpr std::size_t kBufferSize = std::size_t{1} << 20;  // the reader's buffer

enum TForm { kGb18030, kUtf8, kAscii };

std::string Gb18030Table() {
  std::ifstream in(BenchTablePath(kRows), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Utf8Table() {
  const std::string gb = Gb18030Table();
  const iconv_t converter = iconv_open("UTF-8", "GB18030");
  std::string out(gb.size() * 2, '\0');
  char* in = const_cast<char*>(gb.data());
  std::size_t inLeft = gb.size();
  char* to = out.data();
  std::size_t outLeft = out.size();
  if (iconv(converter, &in, &inLeft, &to, &outLeft) == static_cast<std::size_t>(-1)) {
    throw std::runtime_error("the generated table is not GB18030");
  }
  iconv_close(converter);
  out.resize(out.size() - outLeft);
  return out;
}

const std::string& Table(TForm form) {
  static const std::string gb = Gb18030Table();
  static const std::string utf8 = Utf8Table();
  static const std::string ascii = [] {
    std::string s = Gb18030Table();
    for (char& c : s) c = (c & 0x80) != 0 ? 'x' : c;
    return s;
  }();
  return form == kGb18030 ? gb : form == kUtf8 ? utf8 : ascii;
}

void SetLabel(benchmark::State& state, TForm form, std::size_t bytes) {
  state.SetLabel(form == kGb18030 ? "GB18030" : form == kUtf8 ? "UTF-8" : "ASCII");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(bytes));
}

void BM_MemchrLines(benchmark::State& state) {
  const auto form = static_cast<TForm>(state.range(0));
  const std::string& table = Table(form);
  for (auto _ : state) {
    std::size_t lines = 0;
    const char* p = table.data();
    const char* end = p + table.size();
    while (const char* nl = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)))) {
      ++lines;
      p = nl + 1;
    }
    benchmark::DoNotOptimize(lines);
  }
  SetLabel(state, form, table.size());
}

// In the reader's buffers, stopping once decided, as a first pass over the file would.
void BM_ClassifyEncoding(benchmark::State& state) {
  const auto form = static_cast<TForm>(state.range(0));
  const std::string_view table = Table(form);
  for (auto _ : state) {
    TTableFileEncoding encoding;
    for (std::size_t at = 0; at < table.size() && !encoding.Decided(); at += kBufferSize) {
      encoding.Feed(table.substr(at, kBufferSize));
    }
    benchmark::DoNotOptimize(encoding.Result());
  }
  SetLabel(state, form, table.size());
}

// Every cell text of the UTF-8 table into one reused string, as the reader would store them.
void BM_ConvertUtf8Cells(benchmark::State& state) {
  std::vector<std::string_view> texts;
  const std::string_view table = Table(kUtf8);
  std::size_t at = 0;
  while (at < table.size()) {
    std::size_t end = table.find('\n', at);
    if (end == std::string_view::npos) end = table.size();
    const std::string_view line = table.substr(at, end - at - (end > at && table[end - 1] == '\r' ? 1 : 0));
    const std::size_t first = line.find(',');
    const std::size_t second = first == std::string_view::npos ? first : line.find(',', first + 1);
    if (!line.starts_with("cw") && second != std::string_view::npos) texts.push_back(line.substr(second + 1));
    at = end + 1;
  }
  TUtf8ToGb18030 converter;
  std::string out;
  std::size_t bytes = 0;
  for (const std::string_view text : texts) bytes += text.size();
  for (auto _ : state) {
    for (const std::string_view text : texts) {
      out.clear();
      converter.Append(out, text);
      benchmark::DoNotOptimize(out.data());
    }
  }
  state.counters["cells"] = static_cast<double>(texts.size());
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(bytes));
}

BENCHMARK(BM_MemchrLines)->Arg(kGb18030)->Arg(kUtf8)->Arg(kAscii)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ClassifyEncoding)->Arg(kGb18030)->Arg(kUtf8)->Arg(kAscii)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertUtf8Cells)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace metrazil
