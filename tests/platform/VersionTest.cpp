#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <optional>
#include <iterator>
#include <string>
#include <vector>

#include "Version.h"
#include "VersionImages.h"

namespace {

using namespace VersionImages;

const std::string Fixtures = KELT_VERSION_FIXTURES;

Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// A block as GetFileVersionInfoA hands it out.
struct TLoaded {
  bool Ok = false;
  TVerDword Size = 0;
  std::vector<std::uint8_t> Buffer;
};

TLoaded Load(const std::string& file) {
  TLoaded l;
  TVerDword handle = 99;
  l.Size = GetFileVersionInfoSizeA(file.c_str(), &handle);
  EXPECT_EQ(handle, 0u);
  if (l.Size == 0) return l;
  l.Buffer.resize(l.Size);
  l.Ok = GetFileVersionInfoA(file.c_str(), handle, l.Size, l.Buffer.data());
  return l;
}

// A value of a prepared block: texts up to their NUL, others as bytes.
std::optional<std::string> Text(const void* block, const char* path) {
  void* value = nullptr;
  TVerUint len = 0;
  if (!VerQueryValueA(block, path, &value, &len)) return std::nullopt;
  const char* p = static_cast<const char*>(value);
  return std::string(p, strnlen(p, len));
}

TVSFixedFileInfo Fixed(const void* block) {
  void* value = nullptr;
  TVerUint len = 0;
  TVSFixedFileInfo info{};
  EXPECT_TRUE(VerQueryValueA(block, "\\", &value, &len));
  EXPECT_EQ(len, sizeof info);
  if (len >= sizeof info) std::memcpy(&info, value, sizeof info);
  return info;
}

VersionBlock::TBlockContents Contents() {
  VersionBlock::TBlockContents c;
  c.FileVersionMS = 0x00010002;
  c.FileVersionLS = 0x00020000;
  c.Strings = {{"CompanyName", "Halvery Engineering Ltd."}, {"ProductName", "KeltControl"}};
  return c;
}

// Finds and prepares a block in memory as the file calls do, then reads every
// value a caller could ask for, so that the sanitizers see any stray read.
bool ReadsBack(const Bytes& image, std::string* product = nullptr) {
  std::span<const std::uint8_t> raw = VersionBlock::FindInImage(image);
  if (raw.empty()) return false;
  std::vector<std::uint8_t> prepared(VersionBlock::PreparedSize(raw.size()));
  if (!VersionBlock::Prepare(raw, prepared)) return false;
  for (const char* path : {"\\", "\\VarFileInfo\\Translation", "\\StringFileInfo\\040904E4\\ProductName",
                           "\\StringFileInfo\\040904E4\\CompanyName", "\\StringFileInfo", "\\nothing"}) {
    void* value = nullptr;
    TVerUint len = 0;
    if (!VerQueryValueA(prepared.data(), path, &value, &len)) continue;
    const auto* p = static_cast<const std::uint8_t*>(value);
    EXPECT_GE(p, prepared.data());
    EXPECT_LE(p + len, prepared.data() + prepared.size());
  }
  auto name = Text(prepared.data(), "\\StringFileInfo\\040904E4\\ProductName");
  if (product && name) *product = *name;
  return true;
}

}  // namespace

TEST(VersionPe, ReadsTheBlockAResourceCompilerWrote) {
  TLoaded l = Load(Fixtures + "/kelt-debug.dll");
  ASSERT_TRUE(l.Ok);
  // The block in the file is 0x314 bytes; the handed-out copy carries the ANSI texts too.
  EXPECT_GT(l.Size, 0x314u);

  TVSFixedFileInfo f = Fixed(l.Buffer.data());
  EXPECT_EQ(f.dwSignature, VS_FFI_SIGNATURE);
  EXPECT_EQ(f.dwFileVersionMS, 0x00010002u);
  EXPECT_EQ(f.dwFileVersionLS, 0x00020000u);
  EXPECT_EQ(f.dwFileFlagsMask, 0x3Fu);
  EXPECT_EQ(f.dwFileFlags, VS_FF_DEBUG | VS_FF_PRERELEASE);

  void* value = nullptr;
  TVerUint len = 0;
  ASSERT_TRUE(VerQueryValueA(l.Buffer.data(), "\\VarFileInfo\\Translation", &value, &len));
  ASSERT_EQ(len, 4u);
  const auto* t = static_cast<const std::uint8_t*>(value);
  EXPECT_EQ(t[0] | t[1] << 8, 0x0409);
  EXPECT_EQ(t[2] | t[3] << 8, 0x04E4);

  EXPECT_EQ(Text(l.Buffer.data(), "\\StringFileInfo\\040904E4\\ProductName"), "KeltControl");
  EXPECT_EQ(Text(l.Buffer.data(), "\\StringFileInfo\\040904E4\\FileVersion"), "1.2.2.0");
  // Keys compare without regard to case, as the system's own calls do.
  EXPECT_EQ(Text(l.Buffer.data(), "\\stringfileinfo\\040904e4\\productNAME"), "KeltControl");
  // The copyright sign comes back as its Windows-1252 byte.
  EXPECT_EQ(Text(l.Buffer.data(), "\\StringFileInfo\\040904E4\\LegalCopyright"),
            "Copyright \xA9 Halvery Engineering Ltd.");
  EXPECT_EQ(Text(l.Buffer.data(), "\\StringFileInfo\\040904E4\\Comments"), std::nullopt);
  EXPECT_EQ(Text(l.Buffer.data(), "\\StringFileInfo\\040704E4\\ProductName"), std::nullopt);
}

TEST(VersionPe, FilesWithoutABlockReportNoSize) {
  for (const char* name : {"no-version.dll", "no-resources.dll", "kelt-debug-truncated.dll", "missing.dll"}) {
    SCOPED_TRACE(name);
    TVerDword handle = 7;
    EXPECT_EQ(GetFileVersionInfoSizeA((Fixtures + "/" + name).c_str(), &handle), 0u);
    std::vector<std::uint8_t> buffer(4096);
    EXPECT_FALSE(GetFileVersionInfoA((Fixtures + "/" + name).c_str(), 0, 4096, buffer.data()));
  }
  // A folder is not a file.
  EXPECT_EQ(GetFileVersionInfoSizeA(Fixtures.c_str(), nullptr), 0u);
}

TEST(VersionElf, ReadsTheBlockTheBuildEmbeddedInThisTest) {
  TLoaded l = Load("/proc/self/exe");
  ASSERT_TRUE(l.Ok);
  TVSFixedFileInfo f = Fixed(l.Buffer.data());
  EXPECT_EQ(f.dwFileVersionMS, 0x00010002u);
  EXPECT_EQ(f.dwFileVersionLS, 0x00020000u);
  EXPECT_EQ(f.dwProductVersionMS, 0x00010002u);
  EXPECT_EQ(f.dwFileFlags, 0u);
  EXPECT_EQ(Text(l.Buffer.data(), "\\StringFileInfo\\040904E4\\ProductName"), "KeltControl");
  EXPECT_EQ(Text(l.Buffer.data(), "\\StringFileInfo\\040904E4\\ProductVersion"), "1.2.2.0");
  EXPECT_EQ(Text(l.Buffer.data(), "\\StringFileInfo\\040904E4\\FileDescription"), "Version reader test");
  EXPECT_EQ(Text(l.Buffer.data(), "\\StringFileInfo\\040904E4\\OriginalFilename"), "VersionTest");
  EXPECT_EQ(Text(l.Buffer.data(), "\\StringFileInfo\\040904E4\\CompanyName"), "Halvery Engineering Ltd.");
}

TEST(VersionBlock, TextsBecomeWindows1252) {
  VersionBlock::TBlockContents c = Contents();
  c.Strings = {{"Comments", "\xE2\x82\xAC 5 \xE2\x80\x93 \xC3\x96lk\xC3\xBChler \xCE\xA9"}};  // € 5 – Ölkühler Ω
  TElf e = MakeElf(VersionBlock::Build(c));
  std::span<const std::uint8_t> raw = VersionBlock::FindInImage(e.Image);
  ASSERT_FALSE(raw.empty());
  std::vector<std::uint8_t> prepared(VersionBlock::PreparedSize(raw.size()));
  ASSERT_TRUE(VersionBlock::Prepare(raw, prepared));
  EXPECT_EQ(Text(prepared.data(), "\\StringFileInfo\\040904E4\\Comments"), "\x80 5 \x96 \xD6lk\xFChler ?");
}

TEST(VersionBlock, ASmallCallerBufferTakesTheFrontOfTheBlock) {
  const Bytes block = VersionBlock::Build(Contents());
  const std::size_t full = VersionBlock::PreparedSize(block.size());
  // Room for the root and its fixed record, not for the strings behind them.
  std::vector<std::uint8_t> small(VersionBlock::PreparedSize(40 + 52 + 4));
  ASSERT_LT(small.size(), full);
  ASSERT_TRUE(VersionBlock::Prepare(block, small));
  EXPECT_EQ(Fixed(small.data()).dwFileVersionMS, 0x00010002u);
  EXPECT_EQ(Text(small.data(), "\\StringFileInfo\\040904E4\\ProductName"), std::nullopt);
  std::vector<std::uint8_t> tiny(5);
  EXPECT_FALSE(VersionBlock::Prepare(block, tiny));
}

// Damaged and hostile images: each is refused or read within its bytes.
TEST(VersionHostile, DamagedImagesAreRefusedNeverOverrun) {
  const Bytes pe = ReadFile(Fixtures + "/kelt-debug.dll");
  ASSERT_EQ(pe.size(), 4753u) << "the fixture changed; the offsets below follow its layout";
  // kelt-debug.dll: PE header at 0x80, resource directory at file 0x800, its
  // data entry at 0x848 (RVA 0x3058, 0x314 bytes), the block at 0x858.
  ASSERT_EQ(pe[0x80], 'P');
  ASSERT_EQ(pe[0x848], 0x58);
  ASSERT_EQ(pe[0x858] | pe[0x859] << 8, 0x314);
  const std::size_t block = 0x858;
  const Bytes ours = VersionBlock::Build(Contents());
  const TElf elf = MakeElf(ours);

  struct TCase {
    const char* Name;
    Bytes Image;
    bool Readable;
  };
  std::vector<TCase> cases;
  auto pePatched = [&](const char* name, auto patch, bool readable) {
    Bytes b = pe;
    patch(b);
    cases.push_back({name, std::move(b), readable});
  };
  auto elfPatched = [&](const char* name, auto patch, bool readable) {
    Bytes b = elf.Image;
    patch(b);
    cases.push_back({name, std::move(b), readable});
  };
  cases.push_back({"empty", {}, false});
  cases.push_back({"MZ only", {'M', 'Z'}, false});
  cases.push_back({"the intact PE", pe, true});
  cases.push_back({"the intact ELF", elf.Image, true});
  cases.push_back({"PE cut in the block", Bytes(pe.begin(), pe.begin() + 0x900), false});
  cases.push_back({"PE cut in its headers", Bytes(pe.begin(), pe.begin() + 0x100), false});
  cases.push_back({"a raw block is no image", ours, false});
  pePatched("PE header offset past the end", [](Bytes& b) { Put32(b, 0x3C, 0xFFFFFFF0); }, false);
  pePatched("65535 sections", [](Bytes& b) { Put16(b, 0x80 + 6, 0xFFFF); }, false);
  pePatched("optional header larger than the file", [](Bytes& b) { Put16(b, 0x80 + 20, 0xFFFF); }, false);
  pePatched("65535 resource types", [](Bytes& b) { Put16(b, 0x80E, 0xFFFF); }, false);
  pePatched("type directory outside the section", [](Bytes& b) { Put32(b, 0x814, 0xFFFFFF00); }, false);
  pePatched("directory pointing at itself", [](Bytes& b) { Put32(b, 0x814, 0x80000000); }, false);
  pePatched("resource data larger than the file", [](Bytes& b) { Put32(b, 0x84C, 0xFFFFFFF0); }, false);
  pePatched("resource data RVA nowhere", [](Bytes& b) { Put32(b, 0x848, 0x7FFFFFF0); }, false);
  pePatched("root longer than its resource", [&](Bytes& b) { Put16(b, block, 0xFFFF); }, false);
  pePatched("root shorter than its header", [&](Bytes& b) { Put16(b, block, 4); }, false);
  pePatched("root key without its NUL", [&](Bytes& b) { Put16(b, block, 20); }, false);
  pePatched("root key renamed", [&](Bytes& b) { b[block + 6] = 'X'; }, false);
  pePatched("fixed record overruns the root", [&](Bytes& b) { Put16(b, block + 2, 0xFFF0); }, false);
  pePatched("first child of length 0", [&](Bytes& b) { Put16(b, block + 0x5C, 0); }, true);
  pePatched("first child longer than the root", [&](Bytes& b) { Put16(b, block + 0x5C, 0xFFFF); }, true);
  pePatched("text value overruns its node", [&](Bytes& b) {
    // The first string of the table: its value length in characters.
    for (std::size_t at = block; at + 24 < b.size(); at += 2)
      if (b[at] == 'C' && b[at + 2] == 'o' && b[at + 4] == 'm' && b[at + 6] == 'p') {
        Put16(b, at - 4, 0x7FFF);
        break;
      }
  }, true);
  elfPatched("section table past the end", [](Bytes& b) { Put64(b, 0x28, 0xFFFFFFFFFFFFFF00ull); }, false);
  elfPatched("65535 sections", [](Bytes& b) { Put16(b, 0x3C, 0xFFFF); }, false);
  elfPatched("name table index out of range", [](Bytes& b) { Put16(b, 0x3E, 9); }, false);
  elfPatched("entries shorter than a section header", [](Bytes& b) { Put16(b, 0x3A, 8); }, false);
  elfPatched("section size wraps", [&](Bytes& b) { Put64(b, elf.SectionTable + 64 + 0x20, ~0ull); }, false);
  elfPatched("section name past its table", [&](Bytes& b) { Put32(b, elf.SectionTable + 64, 0xFFFFFFF0); }, false);
  elfPatched("big-endian", [](Bytes& b) { b[5] = 2; }, false);
  {
    // Nesting far deeper than any real block.
    Bytes nested;
    for (int i = 0; i < 2000; ++i) nested.insert(nested.end(), {0, 0, 0, 0, 1, 0, 'a', 0, 0, 0, 0, 0});
    // Every node claims to reach the end of the block: a chain of 2000 levels.
    Bytes b = ours;
    const std::size_t start = b.size();
    b.insert(b.end(), nested.begin(), nested.end());
    for (std::size_t at = start; at < b.size(); at += 12) Put16(b, at, static_cast<std::uint16_t>(b.size() - at));
    Put16(b, 0, static_cast<std::uint16_t>(b.size()));
    cases.push_back({"2000 nested nodes", MakeElf(b).Image, true});
  }

  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    std::string product;
    EXPECT_EQ(ReadsBack(c.Image, &product), c.Readable);
  }
  std::string product;
  ASSERT_TRUE(ReadsBack(pe, &product));
  EXPECT_EQ(product, "KeltControl");
}
