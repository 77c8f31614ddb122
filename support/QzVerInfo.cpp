#include "QzVerInfo.h"

#include <array>
#include <charconv>
#include <cstring>

#include "Version.h"

namespace {

constexpr std::array<const char*, 10> VerStringKeys = {
    "CompanyName",      "FileDescription", "FileVersion",    "InternalName", "LegalCopyright",
    "LegalTrademarks",  "OriginalFilename", "ProductName",   "ProductVersion", "Comments"};

struct TFlagWord {
  std::uint32_t Bit;
  const char* Word;
};
constexpr std::array<TFlagWord, 4> FlagWords = {{{VS_FF_PRERELEASE, "Pre-release"},
                                                 {VS_FF_PRIVATEBUILD, "Private build"},
                                                 {VS_FF_SPECIALBUILD, "Special build"},
                                                 {VS_FF_DEBUG, "Debug"}}};

std::uint16_t Word(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

// Four upper-case hexadecimal digits, zero-padded.
void AppendHex4(std::string& s, std::uint16_t v) {
  static constexpr char Digits[] = "0123456789ABCDEF";
  for (int shift = 12; shift >= 0; shift -= 4) s += Digits[(v >> shift) & 0xF];
}

void AppendDecimal(std::string& s, unsigned v) {
  char buf[16];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
  (void)ec;  // 16 characters hold any unsigned value of 16 bits
  s.append(buf, end);
}

TVSFixedFileInfo ReadFixed(const std::uint8_t* p) {
  // The record sits in a byte buffer; copy it rather than alias it.
  TVSFixedFileInfo info;
  std::memcpy(&info, p, sizeof info);
  return info;
}

}  // namespace

TVerInfoRes::TVerInfoRes(const std::string& fileName) : FFileName(fileName) {
  const TVerDword size = GetFileVersionInfoSizeA(FFileName.c_str(), &FHandle);
  FSize = static_cast<std::int32_t>(size);
  if (FSize <= 0) throw ENoVerInfoError("No Version Info Available.");

  FBuffer = std::make_unique<std::uint8_t[]>(static_cast<std::size_t>(FSize));
  if (!GetFileVersionInfoA(FFileName.c_str(), FHandle, static_cast<TVerDword>(FSize), FBuffer.get()))
    throw EVerInfoError("Cannot obtain version info.");

  void* value = nullptr;
  TVerUint length = 0;
  // A translation entry is a language word and a code-page word.
  if (!VerQueryValueA(FBuffer.get(), "\\VarFileInfo\\Translation", &value, &length) || length < 4)
    throw EVerInfoError("No language info.");
  FTranslation = static_cast<const std::uint8_t*>(value);

  if (!VerQueryValueA(FBuffer.get(), "\\", &value, &length) || length < sizeof(TVSFixedFileInfo))
    throw eNoFixeVerInfo("No fixed file info");
  FFixedInfo = static_cast<const std::uint8_t*>(value);

  const TVSFixedFileInfo fixed = ReadFixed(FFixedInfo);
  const std::uint32_t flags = fixed.dwFileFlags & fixed.dwFileFlagsMask;
  for (const TFlagWord& f : FlagWords)
    if (flags & f.Bit) FFlags.emplace_back(f.Word);
}

TVerInfoRes::~TVerInfoRes() = default;

std::string TVerInfoRes::GetVerString(int index) const {
  if (index < 0 || index >= static_cast<int>(VerStringKeys.size())) return {};
  std::string path = "\\StringFileInfo\\";
  AppendHex4(path, Word(FTranslation));
  AppendHex4(path, Word(FTranslation + 2));
  path += '\\';
  path += VerStringKeys[static_cast<std::size_t>(index)];

  void* value = nullptr;
  TVerUint length = 0;
  if (!VerQueryValueA(FBuffer.get(), path.c_str(), &value, &length)) return {};
  const char* text = static_cast<const char*>(value);
  // The value ends at its NUL, or at its stated length when a writer left it out.
  return std::string(text, strnlen(text, length));
}

std::string TVerInfoRes::GetProductName() const { return GetVerString(7); }

std::string TVerInfoRes::GetFileVersion() const {
  const TVSFixedFileInfo fixed = ReadFixed(FFixedInfo);
  return VersionToText(fixed.dwFileVersionMS, fixed.dwFileVersionLS);
}

std::string VersionToText(std::uint32_t ms, std::uint32_t ls) {
  std::string s;
  AppendDecimal(s, ms >> 16);
  s += '.';
  AppendDecimal(s, ms & 0xFFFF);
  s += '.';
  AppendDecimal(s, ls >> 16);
  s += '.';
  AppendDecimal(s, ls & 0xFFFF);
  return s;
}

std::string VersionCaption(const std::string& fileName) {
  TVerInfoRes info(fileName);
  return info.GetProductName() + " " + info.GetFileVersion();
}
