#pragma once
// Reads the version resource of an executable: product name, file version and
// build flags, and the title text that the program's windows carry.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "SysUtils.h"

// The file has no version information: "No Version Info Available."
class ENoVerInfoError : public Exception {
public:
  using Exception::Exception;
};

// The version information cannot be read ("Cannot obtain version info."), or
// has no translation table ("No language info.").
class EVerInfoError : public Exception {
public:
  using Exception::Exception;
};

// The block has no fixed-information record, or a short one: "No fixed file info"
class eNoFixeVerInfo : public Exception {
public:
  using Exception::Exception;
};

// The whole version block of one file, read at construction.
class TVerInfoRes {
public:
  // Raises ENoVerInfoError, EVerInfoError or eNoFixeVerInfo.
  explicit TVerInfoRes(const std::string& fileName);
  virtual ~TVerInfoRes();
  TVerInfoRes(const TVerInfoRes&) = delete;
  TVerInfoRes& operator=(const TVerInfoRes&) = delete;

  // The string value of a standard key, in the first translation's language
  // and code page; empty when the block has no such value or index is not 0..9.
  //   0 CompanyName, 1 FileDescription, 2 FileVersion, 3 InternalName,
  //   4 LegalCopyright, 5 LegalTrademarks, 6 OriginalFilename, 7 ProductName,
  //   8 ProductVersion, 9 Comments
  std::string GetVerString(int index) const;
  std::string GetProductName() const;
  // The fixed record's file version as a.b.c.d.
  std::string GetFileVersion() const;
  // The build flags that are set and valid: "Pre-release", "Private build",
  // "Special build", "Debug", in this order.
  const std::vector<std::string>& Flags() const { return FFlags; }
  const std::string& FileName() const { return FFileName; }

private:
  std::uint32_t FHandle = 0;
  std::int32_t FSize = 0;
  std::unique_ptr<std::uint8_t[]> FBuffer;
  const std::uint8_t* FTranslation = nullptr;  // language (low word), code page (high word)
  const std::uint8_t* FFixedInfo = nullptr;    // TVSFixedFileInfo, not necessarily aligned
  std::vector<std::string> FFlags;
  std::string FFileName;
};

// "%d.%d.%d.%d" of the four unsigned halves, more significant word first.
std::string VersionToText(std::uint32_t ms, std::uint32_t ls);

// Product name, a blank and file version of a file, e.g. "KeltControl 1.2.2.0".
// Errors of TVerInfoRes pass to the caller.
std::string VersionCaption(const std::string& fileName);
