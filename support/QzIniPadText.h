#pragma once
// The editor window's text files on disk: which encoding and line ends a file
// was read with, so that saving writes it back the same way, and the exact
// Windows-1252 conversions (every byte maps to one character and back).
#include <QByteArray>
#include <QString>

#include <string>

#include "SysUtils.h"

// A text file that cannot be read or written; the message names the file.
class EFileError : public Exception {
public:
  using Exception::Exception;
};

enum class TTextEncoding { teUtf8, teWindows1252 };
enum class TLineEnds { leLf, leCrLf, leCr };

// How a file's bytes become text and back. New text is UTF-8 with LF.
struct TTextFormat {
  TTextEncoding Encoding = TTextEncoding::teUtf8;
  bool Bom = false;  // a UTF-8 byte order mark came first
  TLineEnds LineEnds = TLineEnds::leLf;
};

// True when the bytes are well-formed UTF-8 (no overlong forms, surrogates or
// values above U+10FFFF).
bool IsValidUtf8(const char* data, qsizetype size);
inline bool IsValidUtf8(const QByteArray& bytes) { return IsValidUtf8(bytes.constData(), bytes.size()); }

// The line end that comes first; LF when there is none.
TLineEnds DetectLineEnds(const QByteArray& bytes);

// Windows-1252 bytes as UTF-8. The five bytes that the code page leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the control characters of
// the same value, so that they are written back unchanged.
QByteArray Windows1252ToUtf8(const QByteArray& bytes);
// The reverse; false when the text holds a character that Windows-1252 cannot
// store (out is then unspecified).
bool Utf8ToWindows1252(const QByteArray& utf8, QByteArray& out);

// File bytes as the UTF-8 text the editor holds, and the format they were in.
// Raises EFileError when the bytes hold a NUL (a file that is not text).
QByteArray DecodeTextFile(const QByteArray& bytes, const QString& fileName, TTextFormat& format);
// Editor text as the bytes of a file in the given format. The text keeps its
// own line ends. Raises EFileError when the encoding cannot store the text.
QByteArray EncodeTextFile(const QByteArray& utf8, const QString& fileName, const TTextFormat& format);

// Conversions at the boundary to the program's single-byte texts: exact for
// Windows-1252; characters outside it become '?'.
QString QStringFromWindows1252(const std::string& text);
std::string QStringToWindows1252(const QString& text);
