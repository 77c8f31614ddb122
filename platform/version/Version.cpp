#include "Version.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <optional>

// Everything read from an image goes through TSource, which refuses any range
// that does not lie inside the image; offsets are 64-bit so that sums of
// 32-bit fields cannot wrap.
namespace {

class TSource {
public:
  virtual ~TSource() = default;
  virtual std::uint64_t Size() const = 0;
  virtual bool Read(std::uint64_t offset, void* dst, std::size_t len) const = 0;

  bool Contains(std::uint64_t offset, std::uint64_t len) const {
    return offset <= Size() && len <= Size() - offset;
  }
  std::optional<std::uint16_t> U16(std::uint64_t offset) const {
    std::uint8_t b[2];
    if (!Read(offset, b, 2)) return std::nullopt;
    return static_cast<std::uint16_t>(b[0] | b[1] << 8);
  }
  std::optional<std::uint32_t> U32(std::uint64_t offset) const {
    std::uint8_t b[4];
    if (!Read(offset, b, 4)) return std::nullopt;
    return static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
           static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24;
  }
  std::optional<std::uint64_t> U64(std::uint64_t offset) const {
    auto lo = U32(offset), hi = U32(offset + 4);
    if (!lo || !hi) return std::nullopt;
    return static_cast<std::uint64_t>(*hi) << 32 | *lo;
  }
};

class TMemorySource : public TSource {
public:
  explicit TMemorySource(std::span<const std::uint8_t> bytes) : FBytes(bytes) {}
  std::uint64_t Size() const override { return FBytes.size(); }
  bool Read(std::uint64_t offset, void* dst, std::size_t len) const override {
    if (!Contains(offset, len)) return false;
    if (len) std::memcpy(dst, FBytes.data() + offset, len);
    return true;
  }

private:
  std::span<const std::uint8_t> FBytes;
};

class TFileSource : public TSource {
public:
  explicit TFileSource(const char* fileName) {
    if (!fileName) return;
    // Non-blocking, so that a FIFO given as the file cannot hang the caller.
    FFd = ::open(fileName, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (FFd < 0) return;
    struct stat st {};
    if (::fstat(FFd, &st) != 0 || !S_ISREG(st.st_mode)) {
      ::close(FFd);
      FFd = -1;
      return;
    }
    FSize = static_cast<std::uint64_t>(st.st_size);
  }
  ~TFileSource() override {
    if (FFd >= 0) ::close(FFd);
  }
  TFileSource(const TFileSource&) = delete;
  TFileSource& operator=(const TFileSource&) = delete;

  bool IsOpen() const { return FFd >= 0; }
  std::uint64_t Size() const override { return FSize; }
  bool Read(std::uint64_t offset, void* dst, std::size_t len) const override {
    if (FFd < 0 || !Contains(offset, len)) return false;
    auto* out = static_cast<char*>(dst);
    while (len > 0) {
      const ssize_t n = ::pread(FFd, out, len, static_cast<off_t>(offset));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;  // shrunk since fstat, or an I/O error
      out += n;
      offset += static_cast<std::uint64_t>(n);
      len -= static_cast<std::size_t>(n);
    }
    return true;
  }

private:
  int FFd = -1;
  std::uint64_t FSize = 0;
};

struct TRange {
  std::uint64_t Offset = 0;
  std::uint64_t Length = 0;
};

// --- PE: resource directory, type RT_VERSION -------------------------------

constexpr std::uint32_t RT_VERSION = 16;
constexpr std::uint32_t VS_VERSION_INFO_ID = 1;
constexpr std::uint32_t HighBit = 0x80000000u;

struct TPeSection {
  std::uint32_t VirtualAddress, RawSize, RawPointer;
};

class TPeImage {
public:
  explicit TPeImage(const TSource& src) : FSrc(src) {}

  std::optional<TRange> FindVersion() {
    if (!ReadHeaders()) return std::nullopt;
    auto rsrc = Map(FRsrcRva, 0);
    if (!rsrc) return std::nullopt;
    // The directory tree cannot reach past the section that holds its root.
    FRsrc = *rsrc;
    if (FRsrcSize && FRsrcSize < FRsrc.Length) FRsrc.Length = FRsrcSize;

    auto types = Entries(0);
    if (!types) return std::nullopt;
    std::optional<std::uint32_t> names;
    for (auto [name, data] : *types)
      if (!(name & HighBit) && name == RT_VERSION && (data & HighBit)) {
        names = data & ~HighBit;
        break;
      }
    if (!names) return std::nullopt;

    auto nameEntries = Entries(*names);
    if (!nameEntries) return std::nullopt;
    std::optional<std::uint32_t> langs;
    for (auto [name, data] : *nameEntries) {
      if (!(data & HighBit)) continue;
      if (!langs) langs = data & ~HighBit;
      if (name == VS_VERSION_INFO_ID) {
        langs = data & ~HighBit;
        break;
      }
    }
    if (!langs) return std::nullopt;

    auto langEntries = Entries(*langs);
    if (!langEntries) return std::nullopt;
    for (auto [name, data] : *langEntries) {
      (void)name;
      if (data & HighBit) continue;
      auto dataRva = FSrc.U32(FRsrc.Offset + data);
      auto dataSize = FSrc.U32(FRsrc.Offset + data + 4);
      if (!FRsrc.Length || !dataRva || !dataSize || static_cast<std::uint64_t>(data) + 16 > FRsrc.Length)
        return std::nullopt;
      return Map(*dataRva, *dataSize);
    }
    return std::nullopt;
  }

private:
  bool ReadHeaders() {
    auto mz = FSrc.U16(0);
    if (!mz || *mz != 0x5A4D) return false;
    auto peOffset = FSrc.U32(0x3C);
    if (!peOffset) return false;
    auto sig = FSrc.U32(*peOffset);
    if (!sig || *sig != 0x00004550) return false;
    const std::uint64_t coff = static_cast<std::uint64_t>(*peOffset) + 4;
    auto sectionCount = FSrc.U16(coff + 2);
    auto optSize = FSrc.U16(coff + 16);
    if (!sectionCount || !optSize) return false;
    const std::uint64_t opt = coff + 20;
    auto magic = FSrc.U16(opt);
    if (!magic) return false;
    std::uint64_t countAt, dirsAt;
    if (*magic == 0x10B) {
      countAt = 92, dirsAt = 96;
    } else if (*magic == 0x20B) {
      countAt = 108, dirsAt = 112;
    } else {
      return false;
    }
    const std::uint64_t resourceDir = dirsAt + 2 * 8;
    if (*optSize < resourceDir + 8) return false;
    auto dirCount = FSrc.U32(opt + countAt);
    if (!dirCount || *dirCount <= 2) return false;
    auto rva = FSrc.U32(opt + resourceDir), size = FSrc.U32(opt + resourceDir + 4);
    if (!rva || !size || *rva == 0) return false;
    FRsrcRva = *rva;
    FRsrcSize = *size;

    const std::uint64_t table = opt + *optSize;
    if (!FSrc.Contains(table, static_cast<std::uint64_t>(*sectionCount) * 40)) return false;
    for (std::uint16_t i = 0; i < *sectionCount; ++i) {
      const std::uint64_t at = table + static_cast<std::uint64_t>(i) * 40;
      auto va = FSrc.U32(at + 12), rawSize = FSrc.U32(at + 16), rawPtr = FSrc.U32(at + 20);
      if (!va || !rawSize || !rawPtr) return false;
      FSections.push_back({*va, *rawSize, *rawPtr});
    }
    return true;
  }

  // The file bytes behind rva..rva+len (len 0: up to the end of the section's
  // data in the file).
  std::optional<TRange> Map(std::uint32_t rva, std::uint32_t len) const {
    for (const TPeSection& s : FSections) {
      if (rva < s.VirtualAddress) continue;
      const std::uint64_t delta = rva - s.VirtualAddress;
      if (delta >= s.RawSize) continue;
      std::uint64_t avail = s.RawSize - delta;
      const std::uint64_t offset = static_cast<std::uint64_t>(s.RawPointer) + delta;
      if (offset > FSrc.Size()) return std::nullopt;
      avail = std::min(avail, FSrc.Size() - offset);
      if (len == 0) return TRange{offset, avail};
      if (len > avail) return std::nullopt;
      return TRange{offset, len};
    }
    return std::nullopt;
  }

  // The (name, data) entries of the directory at an offset in the resource area.
  std::optional<std::vector<std::pair<std::uint32_t, std::uint32_t>>> Entries(std::uint64_t dir) const {
    if (dir + 16 > FRsrc.Length) return std::nullopt;
    auto named = FSrc.U16(FRsrc.Offset + dir + 12), ids = FSrc.U16(FRsrc.Offset + dir + 14);
    if (!named || !ids) return std::nullopt;
    const std::uint64_t count = static_cast<std::uint64_t>(*named) + *ids;
    if (dir + 16 + count * 8 > FRsrc.Length) return std::nullopt;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> entries;
    entries.reserve(count);
    for (std::uint64_t i = 0; i < count; ++i) {
      const std::uint64_t at = FRsrc.Offset + dir + 16 + i * 8;
      auto name = FSrc.U32(at), data = FSrc.U32(at + 4);
      if (!name || !data) return std::nullopt;
      entries.emplace_back(*name, *data);
    }
    return entries;
  }

  const TSource& FSrc;
  std::uint32_t FRsrcRva = 0, FRsrcSize = 0;
  TRange FRsrc;
  std::vector<TPeSection> FSections;
};

// --- ELF: the section our build writes ---------------------------------------

constexpr char VersionSectionName[] = ".kelt_verinfo";

std::optional<TRange> FindInElf(const TSource& src) {
  std::uint8_t ident[6];
  if (!src.Read(0, ident, sizeof ident)) return std::nullopt;
  if (ident[0] != 0x7F || ident[1] != 'E' || ident[2] != 'L' || ident[3] != 'F') return std::nullopt;
  if (ident[5] != 1) return std::nullopt;  // little-endian only: what we build
  const bool is64 = ident[4] == 2;
  if (!is64 && ident[4] != 1) return std::nullopt;

  std::optional<std::uint64_t> shoff;
  std::optional<std::uint16_t> entSize, count, strIndex;
  if (is64) {
    shoff = src.U64(0x28), entSize = src.U16(0x3A), count = src.U16(0x3C), strIndex = src.U16(0x3E);
  } else {
    auto off32 = src.U32(0x20);
    if (off32) shoff = *off32;
    entSize = src.U16(0x2E), count = src.U16(0x30), strIndex = src.U16(0x32);
  }
  if (!shoff || !entSize || !count || !strIndex) return std::nullopt;
  const std::uint64_t minEntry = is64 ? 64 : 40;
  if (*entSize < minEntry || *strIndex >= *count) return std::nullopt;
  if (*shoff > src.Size() || !src.Contains(*shoff, static_cast<std::uint64_t>(*count) * *entSize))
    return std::nullopt;

  struct TSection {
    std::uint32_t Name, Type;
    std::uint64_t Offset, Size;
  };
  auto section = [&](std::uint16_t i) -> std::optional<TSection> {
    const std::uint64_t at = *shoff + static_cast<std::uint64_t>(i) * *entSize;
    auto name = src.U32(at), type = src.U32(at + 4);
    std::optional<std::uint64_t> offset, size;
    if (is64) {
      offset = src.U64(at + 0x18), size = src.U64(at + 0x20);
    } else {
      auto o = src.U32(at + 0x10), s = src.U32(at + 0x14);
      if (o) offset = *o;
      if (s) size = *s;
    }
    if (!name || !type || !offset || !size) return std::nullopt;
    return TSection{*name, *type, *offset, *size};
  };

  constexpr std::uint32_t SHT_NOBITS = 8;
  auto strings = section(*strIndex);
  if (!strings || strings->Type == SHT_NOBITS || !src.Contains(strings->Offset, strings->Size))
    return std::nullopt;
  constexpr std::size_t nameLen = sizeof VersionSectionName;  // with its NUL
  for (std::uint16_t i = 0; i < *count; ++i) {
    auto s = section(i);
    if (!s || s->Type == SHT_NOBITS) continue;
    if (s->Name > strings->Size || strings->Size - s->Name < nameLen) continue;
    char name[nameLen];
    if (!src.Read(strings->Offset + s->Name, name, nameLen)) continue;
    if (std::memcmp(name, VersionSectionName, nameLen) != 0) continue;
    if (!src.Contains(s->Offset, s->Size)) return std::nullopt;
    return TRange{s->Offset, s->Size};
  }
  return std::nullopt;
}

// The raw block inside an image: the resource or section, cut to the root
// node's own length (a section may carry alignment padding behind it).
std::optional<TRange> FindBlock(const TSource& src) {
  std::optional<TRange> range = TPeImage(src).FindVersion();
  if (!range) range = FindInElf(src);
  if (!range || range->Length < 6) return std::nullopt;
  auto rootLength = src.U16(range->Offset);
  if (!rootLength) return std::nullopt;
  if (*rootLength >= 6 && *rootLength <= range->Length) range->Length = *rootLength;
  // A block is at most 64 KiB (its length is a 16-bit field); anything larger is not one.
  if (range->Length > 0xFFFF) return std::nullopt;
  return range;
}

// --- The block: nodes of UTF-16 key, value and children ----------------------

constexpr std::uint8_t AnsiSignature[4] = {'K', 'A', '1', '2'};

std::size_t Align4(std::size_t n) { return (n + 3) & ~static_cast<std::size_t>(3); }

std::uint16_t Get16(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}

struct TNode {
  std::size_t Start = 0, End = 0;
  std::size_t Key = 0, KeyChars = 0;
  std::size_t Value = 0, ValueBytes = 0;
  bool Text = false;
  std::size_t Children = 0;
};

// A node at start that must end by limit; false when it does not fit.
bool ParseNode(std::span<const std::uint8_t> b, std::size_t start, std::size_t limit, TNode& node) {
  if (limit > b.size() || start > limit || limit - start < 6) return false;
  const std::size_t length = Get16(b, start);
  if (length < 6 || length > limit - start) return false;
  node.Start = start;
  node.End = start + length;
  const std::uint16_t valueLength = Get16(b, start + 2);
  const std::uint16_t type = Get16(b, start + 4);
  node.Text = type == 1;
  node.Key = start + 6;
  std::size_t at = node.Key;
  for (;;) {
    if (node.End - at < 2) return false;  // key without its NUL
    if (Get16(b, at) == 0) break;
    at += 2;
  }
  node.KeyChars = (at - node.Key) / 2;
  node.Value = std::min(Align4(at + 2), node.End);
  std::size_t valueBytes = node.Text ? static_cast<std::size_t>(valueLength) * 2 : valueLength;
  if (valueBytes > node.End - node.Value) {
    // Texts are cut to their node (writers disagree on counting their NUL);
    // a binary value that overruns its node is damage.
    if (!node.Text) return false;
    valueBytes = (node.End - node.Value) & ~static_cast<std::size_t>(1);
  }
  node.ValueBytes = valueBytes;
  node.Children = std::min(Align4(node.Value + valueBytes), node.End);
  return true;
}

template <class F>
void ForEachChild(std::span<const std::uint8_t> b, const TNode& parent, F&& f) {
  std::size_t at = parent.Children;
  TNode child;
  while (at < parent.End && ParseNode(b, at, parent.End, child)) {
    if (!f(child)) return;
    at = Align4(child.End);
  }
}

bool KeyEquals(std::span<const std::uint8_t> b, const TNode& node, std::string_view name) {
  if (node.KeyChars != name.size()) return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    std::uint16_t c = Get16(b, node.Key + 2 * i);
    auto n = static_cast<unsigned char>(name[i]);
    if (c < 0x80) {
      if (c >= 'A' && c <= 'Z') c = static_cast<std::uint16_t>(c + 32);
      if (n >= 'A' && n <= 'Z') n = static_cast<unsigned char>(n + 32);
    }
    if (c != n) return false;
  }
  return true;
}

constexpr std::array<std::uint16_t, 32> Cp1252High = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

std::uint8_t ToCp1252(std::uint16_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<std::uint8_t>(c);
  for (std::size_t i = 0; i < Cp1252High.size(); ++i)
    if (Cp1252High[i] == c && c != 0) return static_cast<std::uint8_t>(0x80 + i);
  return '?';
}

// Real blocks are four levels deep; the limit only bounds hostile nesting.
constexpr int MaxDepth = 8;

void ConvertTexts(std::span<const std::uint8_t> b, const TNode& node, std::uint8_t* ansi, int depth) {
  if (node.Text)
    for (std::size_t i = 0; i < node.ValueBytes / 2; ++i)
      ansi[node.Value / 2 + i] = ToCp1252(Get16(b, node.Value + 2 * i));
  if (depth >= MaxDepth) return;
  ForEachChild(b, node, [&](const TNode& child) {
    ConvertTexts(b, child, ansi, depth + 1);
    return true;
  });
}

bool IsRoot(std::span<const std::uint8_t> b, TNode& root) {
  return ParseNode(b, 0, b.size(), root) && KeyEquals(b, root, "VS_VERSION_INFO");
}

std::size_t PreparedSizeFor(std::size_t blockLen) {
  const std::size_t a = Align4(blockLen);
  return a + sizeof AnsiSignature + a / 2 + 4;
}

}  // namespace

namespace VersionBlock {

std::span<const std::uint8_t> FindInImage(std::span<const std::uint8_t> image) {
  TMemorySource src(image);
  std::optional<TRange> range = FindBlock(src);
  if (!range) return {};
  return image.subspan(range->Offset, range->Length);
}

std::size_t PreparedSize(std::size_t rawSize) { return PreparedSizeFor(rawSize); }

bool Prepare(std::span<const std::uint8_t> raw, std::span<std::uint8_t> out) {
  if (raw.size() < 6 || raw.size() > 0xFFFF) return false;
  // A root that claims more than the file holds is a cut-off block.
  std::size_t blockLen = Get16(raw, 0);
  if (blockLen > raw.size()) return false;
  // A caller's buffer that is too small takes the front of the block.
  while (blockLen >= 6 && PreparedSizeFor(blockLen) > out.size()) --blockLen;
  if (blockLen < 6) return false;
  std::fill(out.begin(), out.end(), 0);
  std::memcpy(out.data(), raw.data(), blockLen);
  out[0] = static_cast<std::uint8_t>(blockLen & 0xFF);
  out[1] = static_cast<std::uint8_t>(blockLen >> 8);
  std::span<const std::uint8_t> block(out.data(), blockLen);
  TNode root;
  if (!IsRoot(block, root)) return false;
  const std::size_t a = Align4(blockLen);
  std::memcpy(out.data() + a, AnsiSignature, sizeof AnsiSignature);
  ConvertTexts(block, root, out.data() + a + sizeof AnsiSignature, 0);
  return true;
}

namespace {

// UTF-8 to UTF-16 code units; malformed bytes become U+FFFD.
std::vector<std::uint16_t> Utf16(const std::string& text) {
  std::vector<std::uint16_t> out;
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    std::uint32_t cp = 0xFFFD;
    std::size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (n == 0 || i + n > text.size()) {
      ++i;
    } else {
      cp = n == 1 ? c : c & (0x7F >> n);
      bool ok = true;
      for (std::size_t k = 1; k < n; ++k) {
        const auto cc = static_cast<unsigned char>(text[i + k]);
        if ((cc >> 6) != 2) ok = false;
        cp = cp << 6 | (cc & 0x3F);
      }
      if (!ok || cp > 0x10FFFF) cp = 0xFFFD;
      i += ok ? n : 1;
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<std::uint16_t>(0xD800 | cp >> 10));
      out.push_back(static_cast<std::uint16_t>(0xDC00 | (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<std::uint16_t>(cp));
    }
  }
  return out;
}

class TWriter {
public:
  std::size_t Begin(const std::string& key, std::uint16_t type) {
    Pad();
    const std::size_t start = FOut.size();
    Put16(0);
    Put16(0);
    Put16(type);
    for (std::uint16_t c : Utf16(key)) Put16(c);
    Put16(0);
    Pad();
    return start;
  }
  void SetValueLength(std::size_t node, std::uint16_t length) { Set16(node + 2, length); }
  void Bytes(const void* data, std::size_t len) {
    auto* p = static_cast<const std::uint8_t*>(data);
    FOut.insert(FOut.end(), p, p + len);
  }
  void Put16(std::uint16_t v) {
    FOut.push_back(static_cast<std::uint8_t>(v & 0xFF));
    FOut.push_back(static_cast<std::uint8_t>(v >> 8));
  }
  void Put32(std::uint32_t v) {
    Put16(static_cast<std::uint16_t>(v & 0xFFFF));
    Put16(static_cast<std::uint16_t>(v >> 16));
  }
  void End(std::size_t node) { Set16(node, static_cast<std::uint16_t>(FOut.size() - node)); }
  void Pad() {
    while (FOut.size() % 4) FOut.push_back(0);
  }
  std::vector<std::uint8_t> Take() { return std::move(FOut); }

private:
  void Set16(std::size_t at, std::uint16_t v) {
    FOut[at] = static_cast<std::uint8_t>(v & 0xFF);
    FOut[at + 1] = static_cast<std::uint8_t>(v >> 8);
  }
  std::vector<std::uint8_t> FOut;
};

std::string Hex4(std::uint16_t v) {
  static const char digits[] = "0123456789ABCDEF";
  std::string s(4, '0');
  for (int i = 3; i >= 0; --i, v = static_cast<std::uint16_t>(v >> 4)) s[static_cast<std::size_t>(i)] = digits[v & 0xF];
  return s;
}

}  // namespace

std::vector<std::uint8_t> Build(const TBlockContents& c) {
  TWriter w;
  const std::size_t root = w.Begin("VS_VERSION_INFO", 0);
  const std::uint32_t fixed[13] = {VS_FFI_SIGNATURE, VS_FFI_STRUCVERSION, c.FileVersionMS, c.FileVersionLS,
                                   c.ProductVersionMS, c.ProductVersionLS, c.FileFlagsMask, c.FileFlags,
                                   c.FileOS, c.FileType, 0, 0, 0};
  for (std::uint32_t v : fixed) w.Put32(v);
  w.SetValueLength(root, sizeof(TVSFixedFileInfo));

  const std::size_t sfi = w.Begin("StringFileInfo", 1);
  const std::size_t table = w.Begin(Hex4(c.Language) + Hex4(c.CodePage), 1);
  for (const auto& [name, value] : c.Strings) {
    const std::size_t node = w.Begin(name, 1);
    std::vector<std::uint16_t> text = Utf16(value);
    text.push_back(0);
    for (std::uint16_t ch : text) w.Put16(ch);
    w.SetValueLength(node, static_cast<std::uint16_t>(text.size()));
    w.End(node);
  }
  w.End(table);
  w.End(sfi);

  const std::size_t vfi = w.Begin("VarFileInfo", 1);
  const std::size_t translation = w.Begin("Translation", 0);
  w.Put16(c.Language);
  w.Put16(c.CodePage);
  w.SetValueLength(translation, 4);
  w.End(translation);
  w.End(vfi);
  w.End(root);
  return w.Take();
}

}  // namespace VersionBlock

TVerDword GetFileVersionInfoSizeA(const char* fileName, TVerDword* handle) {
  if (handle) *handle = 0;
  TFileSource src(fileName);
  if (!src.IsOpen()) return 0;
  std::optional<TRange> range = FindBlock(src);
  if (!range) return 0;
  return static_cast<TVerDword>(PreparedSizeFor(range->Length));
}

bool GetFileVersionInfoA(const char* fileName, TVerDword /*handle*/, TVerDword len, void* data) {
  if (!data) return false;
  TFileSource src(fileName);
  if (!src.IsOpen()) return false;
  std::optional<TRange> range = FindBlock(src);
  if (!range) return false;
  std::vector<std::uint8_t> raw(range->Length);
  if (!src.Read(range->Offset, raw.data(), raw.size())) return false;
  return VersionBlock::Prepare(raw, std::span<std::uint8_t>(static_cast<std::uint8_t*>(data), len));
}

bool VerQueryValueA(const void* blockPtr, const char* subBlock, void** buffer, TVerUint* len) {
  if (!blockPtr || !subBlock || !buffer || !len) return false;
  const auto* base = static_cast<const std::uint8_t*>(blockPtr);
  const std::size_t blockLen = static_cast<std::size_t>(base[0] | base[1] << 8);
  std::span<const std::uint8_t> b(base, blockLen);
  TNode node;
  if (!IsRoot(b, node)) return false;

  std::string_view path(subBlock);
  while (!path.empty()) {
    const std::size_t from = path.find_first_not_of('\\');
    if (from == std::string_view::npos) break;
    path.remove_prefix(from);
    const std::size_t to = path.find('\\');
    const std::string_view part = path.substr(0, to);
    path.remove_prefix(to == std::string_view::npos ? path.size() : to);
    bool found = false;
    TNode next;
    ForEachChild(b, node, [&](const TNode& child) {
      if (!KeyEquals(b, child, part)) return true;
      next = child;
      found = true;
      return false;
    });
    if (!found) return false;
    node = next;
  }

  if (node.Text) {
    const std::size_t a = Align4(blockLen);
    if (std::memcmp(base + a, AnsiSignature, sizeof AnsiSignature) != 0) return false;
    const std::uint8_t* ansi = base + a + sizeof AnsiSignature;
    *buffer = const_cast<std::uint8_t*>(ansi + node.Value / 2);
    *len = static_cast<TVerUint>(node.ValueBytes / 2);
    return true;
  }
  if (node.ValueBytes == 0) return false;
  *buffer = const_cast<std::uint8_t*>(base + node.Value);
  *len = static_cast<TVerUint>(node.ValueBytes);
  return true;
}
