#include "grid/file/JournalEntry.h"

#include <cstdint>
#include <cstring>
#include <limits>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

namespace metrazil {

namespace {

// The kinds as they are written; the numbers are the format's, not the variant's order.
enum class TKind : std::uint8_t { kTexts = 0, kRowsInserted = 1, kRowsRemoved = 2, kColWidths = 3 };

// Appends into room reserved beforehand, so that an entry of a million changes costs no reallocation.
class TWriter {
 public:
  explicit TWriter(std::size_t reserve) { bytes_.reserve(reserve); }
  void Byte(std::uint8_t b) { bytes_.push_back(static_cast<char>(b)); }
  void Unsigned(std::uint64_t v) {
    char buffer[10];
    std::size_t n = 0;
    while (v >= 0x80) {
      buffer[n++] = static_cast<char>((v & 0x7F) | 0x80);
      v >>= 7;
    }
    buffer[n++] = static_cast<char>(v);
    bytes_.append(buffer, n);
  }
  void Signed(std::int64_t v) { Unsigned((static_cast<std::uint64_t>(v) << 1) ^ static_cast<std::uint64_t>(v >> 63)); }
  void Text(std::string_view text) {
    Unsigned(text.size());
    bytes_.append(text);
  }
  void Cell(TCellAddress cell) {
    Signed(cell.col);
    Signed(cell.row);
  }
  std::string Take() { return std::move(bytes_); }

 private:
  std::string bytes_;
};

// Reads what TWriter wrote; every read fails (false) rather than go past the end or out of range.
class TReader {
 public:
  explicit TReader(std::string_view bytes) : bytes_(bytes) {}
  bool Byte(std::uint8_t& b) {
    if (at_ >= bytes_.size()) return false;
    b = static_cast<std::uint8_t>(bytes_[at_++]);
    return true;
  }
  bool Unsigned(std::uint64_t& v) {
    v = 0;
    for (int shift = 0; shift < 64; shift += 7) {
      std::uint8_t b = 0;
      if (!Byte(b)) return false;
      v |= static_cast<std::uint64_t>(b & 0x7F) << shift;
      if ((b & 0x80) == 0) return shift < 63 || b <= 1;
    }
    return false;
  }
  bool Int(int& v) {
    std::uint64_t u = 0;
    if (!Unsigned(u)) return false;
    const std::int64_t s = static_cast<std::int64_t>(u >> 1) ^ -static_cast<std::int64_t>(u & 1);
    if (s < std::numeric_limits<int>::min() || s > std::numeric_limits<int>::max()) return false;
    v = static_cast<int>(s);
    return true;
  }
  // A count of items that each take at least one byte: never more than the bytes left.
  bool Count(std::size_t& n) {
    std::uint64_t u = 0;
    if (!Unsigned(u) || u > bytes_.size() - at_) return false;
    n = static_cast<std::size_t>(u);
    return true;
  }
  bool Text(std::string& text) {
    std::size_t n = 0;
    if (!Count(n)) return false;
    text.assign(bytes_.substr(at_, n));
    at_ += n;
    return true;
  }
  bool Cell(TCellAddress& cell) { return Int(cell.col) && Int(cell.row); }
  bool AtEnd() const { return at_ == bytes_.size(); }

 private:
  std::string_view bytes_;
  std::size_t at_ = 0;
};

constexpr std::size_t kNumberBytes = 10;

void Write(TWriter& out, const TGridTextsWritten& texts) {
  out.Byte(static_cast<std::uint8_t>(TKind::kTexts));
  for (int count : {texts.rowsBefore, texts.rowsAfter, texts.colsBefore, texts.colsAfter}) out.Signed(count);
  out.Unsigned(texts.texts.size());
  for (const TGridCellChange& change : texts.texts) {
    out.Cell({change.col, change.row});
    out.Text(change.before);
    out.Text(change.after);
  }
}

void Write(TWriter& out, const TGridRowsInserted& rows) {
  out.Byte(static_cast<std::uint8_t>(TKind::kRowsInserted));
  out.Signed(rows.row);
  out.Signed(rows.count);
  out.Unsigned(rows.lostTexts.size());
  for (const TGridCellText& lost : rows.lostTexts) {
    out.Cell({lost.col, lost.row});
    out.Text(lost.text);
  }
}

void Write(TWriter& out, const TGridRowsRemoved& rows) {
  out.Byte(static_cast<std::uint8_t>(TKind::kRowsRemoved));
  out.Signed(rows.row);
  out.Signed(rows.count);
  out.Signed(rows.fixedRowsBefore);
  out.Unsigned(rows.heights.size());
  for (int height : rows.heights) out.Signed(height);
}

void Write(TWriter& out, const TGridColWidthsChanged& widths) {
  out.Byte(static_cast<std::uint8_t>(TKind::kColWidths));
  out.Unsigned(widths.widths.size());
  for (const TGridWidthChange& change : widths.widths) {
    out.Signed(change.col);
    out.Signed(change.before);
    out.Signed(change.after);
  }
}

// An upper bound of the bytes the step takes, for reserving them once.
std::size_t SizeOf(const TGridUndoStep& step) {
  std::size_t size = 8 * kNumberBytes;
  std::visit(
      [&size](const auto& change) {
        using T = std::decay_t<decltype(change)>;
        if constexpr (std::is_same_v<T, TGridTextsWritten>) {
          for (const TGridCellChange& c : change.texts) size += 4 * kNumberBytes + c.before.size() + c.after.size();
        } else if constexpr (std::is_same_v<T, TGridRowsInserted>) {
          for (const TGridCellText& t : change.lostTexts) size += 3 * kNumberBytes + t.text.size();
        } else if constexpr (std::is_same_v<T, TGridRowsRemoved>) {
          size += change.heights.size() * kNumberBytes;
        } else {
          size += change.widths.size() * 3 * kNumberBytes;
        }
      },
      step.change);
  return size;
}

bool Read(TReader& in, TGridTextsWritten& texts) {
  std::size_t n = 0;
  if (!in.Int(texts.rowsBefore) || !in.Int(texts.rowsAfter) || !in.Int(texts.colsBefore) || !in.Int(texts.colsAfter) ||
      !in.Count(n)) {
    return false;
  }
  texts.texts.resize(n);
  for (TGridCellChange& change : texts.texts) {
    TCellAddress cell;
    if (!in.Cell(cell) || cell.col < 0 || cell.row < 0 || !in.Text(change.before) || !in.Text(change.after)) {
      return false;
    }
    change.col = cell.col;
    change.row = cell.row;
  }
  return true;
}

bool Read(TReader& in, TGridRowsInserted& rows) {
  std::size_t n = 0;
  if (!in.Int(rows.row) || !in.Int(rows.count) || !in.Count(n)) return false;
  rows.lostTexts.resize(n);
  for (TGridCellText& lost : rows.lostTexts) {
    TCellAddress cell;
    if (!in.Cell(cell) || cell.col < 0 || cell.row < 0 || !in.Text(lost.text)) return false;
    lost.col = cell.col;
    lost.row = cell.row;
  }
  return true;
}

bool Read(TReader& in, TGridRowsRemoved& rows) {
  std::size_t n = 0;
  if (!in.Int(rows.row) || !in.Int(rows.count) || !in.Int(rows.fixedRowsBefore) || !in.Count(n)) return false;
  rows.heights.resize(n);
  for (int& height : rows.heights) {
    if (!in.Int(height)) return false;
  }
  return true;
}

bool Read(TReader& in, TGridColWidthsChanged& widths) {
  std::size_t n = 0;
  if (!in.Count(n)) return false;
  widths.widths.resize(n);
  for (TGridWidthChange& change : widths.widths) {
    if (!in.Int(change.col) || change.col < 0 || !in.Int(change.before) || !in.Int(change.after)) return false;
  }
  return true;
}

template <class TChange>
bool ReadChange(TReader& in, TGridUndoStep& step) {
  TChange change;
  if (!Read(in, change)) return false;
  step.change = std::move(change);
  return true;
}

}  // namespace

std::string EncodeJournalEntry(TGridStepEvent event, const TGridUndoStep& step) {
  TWriter out(SizeOf(step));
  out.Byte(static_cast<std::uint8_t>(event));
  out.Unsigned(step.id);
  out.Cell(step.focus);
  out.Cell(step.blockEnd);
  std::visit([&out](const auto& change) { Write(out, change); }, step.change);
  return out.Take();
}

std::optional<TJournalEntry> DecodeJournalEntry(std::string_view bytes) {
  TReader in(bytes);
  TJournalEntry entry;
  std::uint8_t event = 0;
  std::uint8_t kind = 0;
  if (!in.Byte(event) || event > static_cast<std::uint8_t>(TGridStepEvent::kRedone) || !in.Unsigned(entry.step.id) ||
      !in.Cell(entry.step.focus) || !in.Cell(entry.step.blockEnd) || !in.Byte(kind)) {
    return std::nullopt;
  }
  entry.event = static_cast<TGridStepEvent>(event);
  bool read = false;
  switch (static_cast<TKind>(kind)) {
    case TKind::kTexts:
      read = ReadChange<TGridTextsWritten>(in, entry.step);
      break;
    case TKind::kRowsInserted:
      read = ReadChange<TGridRowsInserted>(in, entry.step);
      break;
    case TKind::kRowsRemoved:
      read = ReadChange<TGridRowsRemoved>(in, entry.step);
      break;
    case TKind::kColWidths:
      read = ReadChange<TGridColWidthsChanged>(in, entry.step);
      break;
  }
  if (!read || !in.AtEnd()) return std::nullopt;
  return entry;
}

}  // namespace metrazil
