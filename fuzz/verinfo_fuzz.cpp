// Arbitrary bytes as a file for the version reader: as an image (PE or ELF) and
// as a bare block. Every value it finds is read in full, so that a value
// reaching outside its buffer shows up under the sanitizers.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "Version.h"

namespace {

void QueryAll(std::span<const std::uint8_t> raw) {
  std::vector<std::uint8_t> prepared(VersionBlock::PreparedSize(raw.size()));
  if (!VersionBlock::Prepare(raw, prepared)) return;
  static const char* const Paths[] = {
      "\\", "", "\\VarFileInfo\\Translation", "\\StringFileInfo",
      "\\StringFileInfo\\040904E4\\ProductName", "\\StringFileInfo\\040904E4\\CompanyName",
      "\\StringFileInfo\\040904e4\\comments", "\\a\\a\\a\\a\\a\\a\\a\\a\\a\\a"};
  volatile std::uint8_t sink = 0;
  for (const char* path : Paths) {
    void* value = nullptr;
    TVerUint len = 0;
    if (!VerQueryValueA(prepared.data(), path, &value, &len)) continue;
    const auto* p = static_cast<const std::uint8_t*>(value);
    for (TVerUint i = 0; i < len; ++i) sink = sink ^ p[i];
  }
  (void)sink;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::span<const std::uint8_t> bytes(data, size);
  std::span<const std::uint8_t> found = VersionBlock::FindInImage(bytes);
  if (!found.empty()) QueryAll(found);
  if (size <= 0xFFFF) QueryAll(bytes);
  return 0;
}
