#pragma once
// The version API over VS_VERSIONINFO blocks, in the shape of the Windows calls
// (ANSI entry points). A block is found in the RT_VERSION resource of a PE file
// or in the ".kelt_verinfo" section of one of our ELF executables; both carry the
// same binary format (UTF-16 keys and texts, 32-bit aligned nodes).
//
// The block handed to callers is followed by an area that holds every text value
// converted to Windows-1252, as the ANSI calls promise; so the size that
// GetFileVersionInfoSizeA reports is larger than the block in the file.
//
// Every offset and length read from a file is checked against the bytes
// actually present: a damaged or hostile file fails the call, it is never read
// beyond its end.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

using TVerDword = std::uint32_t;
using TVerUint = unsigned int;

// The fixed-information record at the root of a block ("\"), 52 bytes.
struct TVSFixedFileInfo {
  std::uint32_t dwSignature;  // 0xFEEF04BD
  std::uint32_t dwStrucVersion;
  std::uint32_t dwFileVersionMS;
  std::uint32_t dwFileVersionLS;
  std::uint32_t dwProductVersionMS;
  std::uint32_t dwProductVersionLS;
  std::uint32_t dwFileFlagsMask;
  std::uint32_t dwFileFlags;
  std::uint32_t dwFileOS;
  std::uint32_t dwFileType;
  std::uint32_t dwFileSubtype;
  std::uint32_t dwFileDateMS;
  std::uint32_t dwFileDateLS;
};
static_assert(sizeof(TVSFixedFileInfo) == 52);

constexpr std::uint32_t VS_FFI_SIGNATURE = 0xFEEF04BD;
constexpr std::uint32_t VS_FFI_STRUCVERSION = 0x00010000;
constexpr std::uint32_t VS_FF_DEBUG = 0x01;
constexpr std::uint32_t VS_FF_PRERELEASE = 0x02;
constexpr std::uint32_t VS_FF_PATCHED = 0x04;
constexpr std::uint32_t VS_FF_PRIVATEBUILD = 0x08;
constexpr std::uint32_t VS_FF_INFOINFERRED = 0x10;
constexpr std::uint32_t VS_FF_SPECIALBUILD = 0x20;
constexpr std::uint32_t VS_FFI_FILEFLAGSMASK = 0x3F;
constexpr std::uint32_t VFT_APP = 0x1;

// Size of the version information of a file, 0 when the file has none or
// cannot be read. *handle is set to 0 (kept for the shape of the call).
TVerDword GetFileVersionInfoSizeA(const char* fileName, TVerDword* handle);
// Copies the version information into data (len bytes, as sized by
// GetFileVersionInfoSizeA). False when the file or its block cannot be read.
bool GetFileVersionInfoA(const char* fileName, TVerDword handle, TVerDword len, void* data);
// Finds a value by its path in a block filled by GetFileVersionInfoA:
// "\" (the fixed record), "\VarFileInfo\Translation", "\StringFileInfo\<lang><cp>\<name>".
// Path parts compare without regard to case. On success *buffer points into the
// block and *len is the value's length (characters for texts, including the
// NUL; bytes otherwise). Texts come back in Windows-1252.
bool VerQueryValueA(const void* block, const char* subBlock, void** buffer, TVerUint* len);

namespace VersionBlock {

// The same steps on bytes in memory (the fuzz target and the tests use these).
// Locates the raw block in a PE or ELF image; an empty span when there is none.
std::span<const std::uint8_t> FindInImage(std::span<const std::uint8_t> image);
// The size GetFileVersionInfoSizeA reports for a raw block of rawSize bytes.
std::size_t PreparedSize(std::size_t rawSize);
// Checks the raw block and lays it out with its ANSI texts in out (out.size()
// bytes; when smaller than PreparedSize, the block is cut to fit). False when
// the block is malformed.
bool Prepare(std::span<const std::uint8_t> raw, std::span<std::uint8_t> out);

// What the build writes into our own executables.
struct TBlockContents {
  std::uint32_t FileVersionMS = 0, FileVersionLS = 0;
  std::uint32_t ProductVersionMS = 0, ProductVersionLS = 0;
  std::uint32_t FileFlagsMask = VS_FFI_FILEFLAGSMASK;
  std::uint32_t FileFlags = 0;
  std::uint32_t FileOS = 0;
  std::uint32_t FileType = VFT_APP;
  std::uint16_t Language = 0x0409;
  std::uint16_t CodePage = 0x04E4;
  // Name and value pairs, in order; texts are UTF-8.
  std::vector<std::pair<std::string, std::string>> Strings;
};
// Writes a VS_VERSIONINFO block as a resource compiler lays it out.
std::vector<std::uint8_t> Build(const TBlockContents& contents);

}  // namespace VersionBlock
