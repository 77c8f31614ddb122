#include "QzIniPadText.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace {

// Characters of the bytes 0x80..0x9F; the undefined bytes map to themselves.
constexpr std::array<char16_t, 32> HighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t Windows1252Char(unsigned char byte) {
  return byte >= 0x80 && byte < 0xA0 ? HighControls[byte - 0x80] : byte;
}

// The byte for a character, or -1 when the code page has none.
int Windows1252Byte(char32_t ch) {
  if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF)) return static_cast<int>(ch);
  for (std::size_t i = 0; i < HighControls.size(); ++i)
    if (HighControls[i] == ch) return static_cast<int>(0x80 + i);
  return -1;
}

void AppendUtf8(QByteArray& out, char32_t ch) {
  if (ch < 0x80) {
    out.append(static_cast<char>(ch));
  } else if (ch < 0x800) {
    out.append(static_cast<char>(0xC0 | (ch >> 6)));
    out.append(static_cast<char>(0x80 | (ch & 0x3F)));
  } else {
    out.append(static_cast<char>(0xE0 | (ch >> 12)));
    out.append(static_cast<char>(0x80 | ((ch >> 6) & 0x3F)));
    out.append(static_cast<char>(0x80 | (ch & 0x3F)));
  }
}

const char Utf8Bom[] = "\xEF\xBB\xBF";

std::string Quoted(const QString& fileName) { return "\"" + QStringToWindows1252(fileName) + "\""; }

}  // namespace

bool IsValidUtf8(const char* data, qsizetype size) {
  const auto* p = reinterpret_cast<const unsigned char*>(data);
  const auto* end = p + size;
  while (p < end) {
    // Plain ASCII, eight bytes at a time: the bulk of a results file.
    if (end - p >= 8) {
      std::uint64_t word;
      std::memcpy(&word, p, sizeof word);
      if ((word & 0x8080808080808080ULL) == 0) {
        p += 8;
        continue;
      }
    }
    unsigned char c = *p;
    if (c < 0x80) {
      ++p;
      continue;
    }
    int follow;
    char32_t ch;
    if (c >= 0xC2 && c <= 0xDF) {
      follow = 1;
      ch = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      follow = 2;
      ch = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      follow = 3;
      ch = c & 0x07;
    } else {
      return false;  // a continuation byte first, an overlong lead, or beyond U+10FFFF
    }
    if (end - p <= follow) return false;
    for (int i = 1; i <= follow; ++i) {
      if ((p[i] & 0xC0) != 0x80) return false;
      ch = (ch << 6) | (p[i] & 0x3F);
    }
    if ((follow == 2 && ch < 0x800) || (follow == 3 && (ch < 0x10000 || ch > 0x10FFFF)) ||
        (ch >= 0xD800 && ch <= 0xDFFF))
      return false;
    p += follow + 1;
  }
  return true;
}

TLineEnds DetectLineEnds(const QByteArray& bytes) {
  for (qsizetype i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\n') return TLineEnds::leLf;
    if (bytes[i] == '\r') return i + 1 < bytes.size() && bytes[i + 1] == '\n' ? TLineEnds::leCrLf : TLineEnds::leCr;
  }
  return TLineEnds::leLf;
}

QByteArray Windows1252ToUtf8(const QByteArray& bytes) {
  QByteArray out;
  out.reserve(bytes.size() + bytes.size() / 8);
  for (char b : bytes) AppendUtf8(out, Windows1252Char(static_cast<unsigned char>(b)));
  return out;
}

bool Utf8ToWindows1252(const QByteArray& utf8, QByteArray& out) {
  out.clear();
  out.reserve(utf8.size());
  const auto* p = reinterpret_cast<const unsigned char*>(utf8.constData());
  const auto* end = p + utf8.size();
  while (p < end) {
    char32_t ch = *p;
    int follow = ch < 0x80 ? 0 : ch < 0xE0 ? 1 : ch < 0xF0 ? 2 : 3;
    if (follow > 0) {
      if (end - p <= follow) return false;
      ch &= 0x3F >> follow;
      for (int i = 1; i <= follow; ++i) ch = (ch << 6) | (p[i] & 0x3F);
    }
    int byte = Windows1252Byte(ch);
    if (byte < 0) return false;
    out.append(static_cast<char>(byte));
    p += follow + 1;
  }
  return true;
}

QByteArray DecodeTextFile(const QByteArray& bytes, const QString& fileName, TTextFormat& format) {
  if (bytes.contains('\0'))
    throw EFileError("Cannot open " + Quoted(fileName) + ": it is not a text file (it holds NUL bytes).");
  TTextFormat read;
  read.LineEnds = DetectLineEnds(bytes);
  QByteArray text;
  if (IsValidUtf8(bytes)) {
    read.Bom = bytes.startsWith(Utf8Bom);
    text = read.Bom ? bytes.mid(3) : bytes;
  } else {
    read.Encoding = TTextEncoding::teWindows1252;
    text = Windows1252ToUtf8(bytes);
  }
  format = read;
  return text;
}

QByteArray EncodeTextFile(const QByteArray& utf8, const QString& fileName, const TTextFormat& format) {
  if (format.Encoding == TTextEncoding::teUtf8) return format.Bom ? Utf8Bom + utf8 : utf8;
  QByteArray bytes;
  if (!Utf8ToWindows1252(utf8, bytes))
    throw EFileError("Cannot save " + Quoted(fileName) +
                     ": the text holds characters that its encoding, Windows-1252, cannot store.");
  return bytes;
}

QString QStringFromWindows1252(const std::string& text) {
  QString out;
  out.reserve(static_cast<qsizetype>(text.size()));
  for (char b : text) out.append(QChar(static_cast<char16_t>(Windows1252Char(static_cast<unsigned char>(b)))));
  return out;
}

std::string QStringToWindows1252(const QString& text) {
  std::string out;
  out.reserve(static_cast<std::size_t>(text.size()));
  for (QChar ch : text) {
    int byte = Windows1252Byte(ch.unicode());
    out += byte < 0 ? '?' : static_cast<char>(byte);
  }
  return out;
}
