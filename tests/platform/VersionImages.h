#pragma once
// Small images that carry a version block, for the version reader's tests.
#include <cstdint>
#include <string>
#include <vector>

namespace VersionImages {

using Bytes = std::vector<std::uint8_t>;

inline void Put16(Bytes& b, std::size_t at, std::uint16_t v) {
  b.at(at) = static_cast<std::uint8_t>(v);
  b.at(at + 1) = static_cast<std::uint8_t>(v >> 8);
}
inline void Put32(Bytes& b, std::size_t at, std::uint32_t v) {
  Put16(b, at, static_cast<std::uint16_t>(v));
  Put16(b, at + 2, static_cast<std::uint16_t>(v >> 16));
}
inline void Put64(Bytes& b, std::size_t at, std::uint64_t v) {
  Put32(b, at, static_cast<std::uint32_t>(v));
  Put32(b, at + 4, static_cast<std::uint32_t>(v >> 32));
}

// A minimal little-endian ELF64 image: the null section, ".kelt_verinfo" with
// the block, and the section-name table.
struct TElf {
  Bytes Image;
  std::size_t SectionTable = 0;  // e_shoff; the version section is entry 1
  std::size_t Block = 0;         // file offset of the block
};

inline TElf MakeElf(const Bytes& block) {
  TElf e;
  const std::string names("\0.kelt_verinfo\0.shstrtab\0", 25);
  Bytes& b = e.Image;
  b.assign(64, 0);
  b[0] = 0x7F, b[1] = 'E', b[2] = 'L', b[3] = 'F', b[4] = 2, b[5] = 1, b[6] = 1;
  e.Block = b.size();
  b.insert(b.end(), block.begin(), block.end());
  while (b.size() % 8) b.push_back(0);
  const std::size_t strings = b.size();
  b.insert(b.end(), names.begin(), names.end());
  while (b.size() % 8) b.push_back(0);
  e.SectionTable = b.size();
  b.resize(b.size() + 3 * 64, 0);
  Put64(b, 0x28, e.SectionTable);
  Put16(b, 0x3A, 64);
  Put16(b, 0x3C, 3);
  Put16(b, 0x3E, 2);
  const std::size_t s1 = e.SectionTable + 64, s2 = e.SectionTable + 128;
  Put32(b, s1, 1), Put32(b, s1 + 4, 1), Put64(b, s1 + 0x18, e.Block), Put64(b, s1 + 0x20, block.size());
  Put32(b, s2, 15), Put32(b, s2 + 4, 3), Put64(b, s2 + 0x18, strings), Put64(b, s2 + 0x20, names.size());
  return e;
}

}  // namespace VersionImages
