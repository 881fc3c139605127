#include "grid/text/RichTextReader.h"

#include <array>
#include <cctype>
#include <vector>

namespace metrazil {

namespace {

struct GroupState {
  bool skip = false;
  int fallbackChars = 1;  // \ucN
};

bool IsSkippedDestination(std::string_view word) {
  static constexpr std::array<std::string_view, 17> kSkipped = {
      "fonttbl",  "colortbl",     "stylesheet",       "info",   "pict",    "header",    "footer",
      "object",   "filetbl",      "listtable",        "revtbl", "rsidtbl", "generator", "themedata",
      "xmlnstbl", "latentstyles", "listoverridetable"};
  for (std::string_view skipped : kSkipped) {
    if (word == skipped) return true;
  }
  return false;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

class Reader {
 public:
  Reader(std::string_view rtf, const std::function<std::u16string(std::string_view)>& decode, std::size_t maxUnits)
      : rtf_(rtf), decode_(decode), maxUnits_(maxUnits) {}

  std::u16string Run() {
    groups_.push_back({});
    // A code-page character takes at most four bytes, so the pending bytes give at least a quarter as many.
    while (pos_ < rtf_.size() && text_.size() + bytes_.size() / 4 < maxUnits_) {
      const char c = rtf_[pos_++];
      if (c == '{') {
        // Groups nested past the limit share the deepest state, so hostile nesting costs no memory.
        if (groups_.size() < kMaxGroups) {
          groups_.push_back(groups_.back());
        } else {
          ++sharedGroups_;
        }
      } else if (c == '}') {
        if (sharedGroups_ > 0) {
          --sharedGroups_;
        } else if (groups_.size() > 1) {
          groups_.pop_back();
        }
      } else if (c == '\\') {
        ControlSequence();
      } else if (c != '\r' && c != '\n') {
        Byte(c);
      }
    }
    Flush();
    if (text_.size() > maxUnits_) text_.resize(maxUnits_);
    return text_;
  }

 private:
  GroupState& Group() { return groups_.back(); }

  void Byte(char c) {
    if (pendingSkip_ > 0) {
      --pendingSkip_;
      return;
    }
    if (!Group().skip) bytes_.push_back(c);
  }

  void Unit(char16_t unit) {
    if (Group().skip) return;
    Flush();
    text_.push_back(unit);
  }

  void Flush() {
    if (bytes_.empty()) return;
    text_ += decode_(bytes_);
    bytes_.clear();
  }

  void ControlSequence() {
    if (pos_ >= rtf_.size()) return;
    const char c = rtf_[pos_];
    if (!std::isalpha(static_cast<unsigned char>(c))) {
      ++pos_;
      ControlSymbol(c);
      return;
    }
    const std::size_t start = pos_;
    while (pos_ < rtf_.size() && std::isalpha(static_cast<unsigned char>(rtf_[pos_]))) ++pos_;
    const std::string_view word = rtf_.substr(start, pos_ - start);
    bool hasParam = false;
    bool negative = false;
    long long param = 0;
    if (pos_ < rtf_.size() && rtf_[pos_] == '-') {
      negative = true;
      ++pos_;
    }
    while (pos_ < rtf_.size() && std::isdigit(static_cast<unsigned char>(rtf_[pos_]))) {
      hasParam = true;
      if (param < 1000000) param = param * 10 + (rtf_[pos_] - '0');
      ++pos_;
    }
    if (negative) param = -param;
    if (pos_ < rtf_.size() && rtf_[pos_] == ' ') ++pos_;
    ControlWord(word, hasParam, static_cast<int>(param));
  }

  void ControlSymbol(char c) {
    switch (c) {
      case '\'': {
        if (pos_ + 2 <= rtf_.size()) {
          const int high = HexValue(rtf_[pos_]);
          const int low = HexValue(rtf_[pos_ + 1]);
          if (high >= 0 && low >= 0) {
            pos_ += 2;
            Byte(static_cast<char>(high * 16 + low));
          }
        }
        break;
      }
      case '*':
        Group().skip = true;
        break;
      case '~':
        Unit(u'\u00A0');
        break;
      case '_':
        Unit(u'-');
        break;
      case '\r':
      case '\n':
        Unit(u'\n');
        break;
      case '-':
        break;
      default:  // "\\", "\{", "\}" and anything unknown stand for themselves
        Byte(c);
        break;
    }
  }

  void ControlWord(std::string_view word, bool hasParam, int param) {
    if (IsSkippedDestination(word)) {
      Group().skip = true;
    } else if (word == "par" || word == "line") {
      Unit(u'\n');
    } else if (word == "tab") {
      Unit(u'\t');
    } else if (word == "uc" && hasParam) {
      Group().fallbackChars = param < 0 ? 0 : param;
    } else if (word == "u" && hasParam) {
      Unit(static_cast<char16_t>(param < 0 ? param + 65536 : param));
      pendingSkip_ = Group().fallbackChars;
    } else if (word == "emdash") {
      Unit(u'\u2014');
    } else if (word == "endash") {
      Unit(u'\u2013');
    } else if (word == "bullet") {
      Unit(u'\u2022');
    } else if (word == "lquote") {
      Unit(u'\u2018');
    } else if (word == "rquote") {
      Unit(u'\u2019');
    } else if (word == "ldblquote") {
      Unit(u'\u201C');
    } else if (word == "rdblquote") {
      Unit(u'\u201D');
    }
  }

  static constexpr std::size_t kMaxGroups = 256;

  std::string_view rtf_;
  const std::function<std::u16string(std::string_view)>& decode_;
  std::size_t maxUnits_;
  std::size_t sharedGroups_ = 0;
  std::size_t pos_ = 0;
  std::vector<GroupState> groups_;
  std::string bytes_;
  std::u16string text_;
  int pendingSkip_ = 0;
};

}  // namespace

std::u16string ReadRichText(std::string_view rtf, const std::function<std::u16string(std::string_view)>& decodeBytes,
                            std::size_t maxUnits) {
  return Reader(rtf, decodeBytes, maxUnits).Run();
}

}  // namespace metrazil
