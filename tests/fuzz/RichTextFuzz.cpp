// Feeds arbitrary bytes to the rich-text reader, then the same bytes escaped into a document, which must
// read back as they were. Code-page bytes are widened one to one, so every unit shown stands for at least
// one input byte.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "grid/text/RichTextReader.h"

namespace {

void Check(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "rich text reader: %s\n", what);
  std::abort();
}

std::u16string Widen(std::string_view bytes) {
  std::u16string units(bytes.size(), u'\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) units[i] = static_cast<unsigned char>(bytes[i]);
  return units;
}

// Reads with a decoder that checks the runs it is handed and counts their bytes.
std::u16string Read(std::string_view rtf, std::size_t& decodedBytes, std::size_t maxUnits = std::u16string::npos) {
  decodedBytes = 0;
  return metrazil::ReadRichText(
      rtf,
      [&decodedBytes](std::string_view bytes) {
        Check(!bytes.empty(), "an empty run handed to the decoder");
        decodedBytes += bytes.size();
        return Widen(bytes);
      },
      maxUnits);
}

// A read that stops after maxUnits units gives the start of the whole text: with a decoder that widens
// byte by byte, cutting a run of code-page bytes early changes nothing before the cut.
void CheckCut(std::string_view rtf, const std::u16string& whole, std::size_t maxUnits) {
  std::size_t decoded = 0;
  Check(Read(rtf, decoded, maxUnits) == whole.substr(0, maxUnits), "a cut read is not the start of the text");
}

void AppendHex(std::string& out, unsigned char byte, bool upper) {
  const char* digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
  out += "\\'";
  out += digits[byte >> 4];
  out += digits[byte & 15];
}

// Writes the bytes as a document that must show `expected`. The first byte picks how bytes past ASCII
// are written: as code-page bytes, or as Unicode units followed by none, one or two fallback characters.
// Every so often a group that shows nothing, or the end of a formatting group and the start of the next,
// comes in between; the second byte nests the body in that many more groups.
std::string Document(std::string_view bytes, std::u16string& expected) {
  const unsigned mode = bytes.empty() ? 0 : static_cast<unsigned char>(bytes[0]) % 4;
  const std::size_t depth = bytes.size() < 2 ? 0 : static_cast<unsigned char>(bytes[1]) % 32;
  std::string rtf =
      R"({\rtf1\ansi\ansicpg936\deff0{\fonttbl{\f0\fnil\fcharset134 SimSun;}}{\colortbl ;\red255\green0\blue0;})"
      R"({\*\generator Metrazil;}\viewkind4\pard\f0\fs18 )";
  if (mode == 2) rtf += "\\uc0 ";
  if (mode == 3) rtf += "\\uc2 ";
  rtf.append(depth, '{');
  rtf += "{\\i ";
  expected.clear();
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (i % 61 == 60) rtf += "{\\*\\bkmkstart mark\\'41}";
    if (i % 97 == 96) rtf += "}{\\b ";
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (b == '\\' || b == '{' || b == '}') {
      rtf += '\\';
      rtf += static_cast<char>(b);
      expected += b;
    } else if (b == '\n' && mode < 2) {
      rtf += mode == 0 ? "\\line " : "\\par ";
      expected += u'\n';
    } else if (b == '\t' && mode < 2) {
      rtf += "\\tab ";
      expected += u'\t';
    } else if (b < 0x20 || (b >= 0x80 && mode == 0)) {
      AppendHex(rtf, b, i % 2 != 0);
      expected += b;
    } else if (b >= 0x80) {
      const char16_t unit = mode == 1 ? 0x4E00 + b : mode == 2 ? 0xFF00 + b : 0x3000 + b;
      rtf += "\\u";
      if (mode == 1) {
        rtf += std::to_string(unit) + "?";
      } else if (mode == 2) {
        rtf += std::to_string(static_cast<int>(unit) - 65536) + " ";  // units past 32767 are written negative
      } else {
        rtf += std::to_string(unit) + "\\'3f\\'3f";
      }
      expected += unit;
    } else {
      rtf += static_cast<char>(b);
      expected += b;
    }
  }
  rtf += '}';
  rtf.append(depth, '}');
  rtf += "\\par\r\n}";
  expected += u'\n';
  return rtf;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  std::size_t decoded = 0;
  const std::u16string text = Read(input, decoded);
  Check(text.size() <= input.size(), "more units than input bytes");
  Check(decoded <= input.size(), "more bytes decoded than read");
  if (input.find_first_of("\\{}\r\n") == std::string_view::npos) {
    Check(text == Widen(input), "text without markup not shown as it is");
  }
  // Cut at no unit, inside the text, at its end and one past it.
  for (const std::size_t maxUnits : {std::size_t{0}, text.size() / 2, text.size(), text.size() + 1}) {
    CheckCut(input, text, maxUnits);
  }

  std::u16string expected;
  const std::string document = Document(input, expected);
  Check(Read(document, decoded) == expected, "escaped text does not read back");
  CheckCut(document, expected, expected.size() / 3);
  return 0;
}
