#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "QzVerInfo.h"
#include "Version.h"
#include "VersionImages.h"

using namespace VersionImages;

namespace {

const std::string Fixtures = KELT_VERSION_FIXTURES;

std::string Fixture(const char* name) { return Fixtures + "/" + name; }

Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// A file of the test's own, removed at the end of the test.
class TTempFile {
public:
  explicit TTempFile(const Bytes& bytes)
      : FPath((std::filesystem::temp_directory_path() /
               ("qzverinfo-" + std::to_string(::getpid()) + "-" + std::to_string(++Count))).string()) {
    std::ofstream out(FPath, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  ~TTempFile() { std::filesystem::remove(FPath); }
  const std::string& Path() const { return FPath; }

private:
  static inline int Count = 0;
  std::string FPath;
};

VersionBlock::TBlockContents Contents() {
  VersionBlock::TBlockContents c;
  c.FileVersionMS = 0x00010002;
  c.FileVersionLS = 0x00020000;
  c.Strings = {{"ProductName", "KeltControl"}};
  return c;
}

}  // namespace

TEST(QzVerInfo, ReadsAFileMadeByAResourceCompiler) {
  TVerInfoRes info(Fixture("kelt-debug.dll"));
  EXPECT_EQ(info.FileName(), Fixture("kelt-debug.dll"));
  EXPECT_EQ(info.GetProductName(), "KeltControl");
  EXPECT_EQ(info.GetFileVersion(), "1.2.2.0");
  EXPECT_EQ(info.Flags(), (std::vector<std::string>{"Pre-release", "Debug"}));

  const char* expected[] = {"Halvery Engineering Ltd.",
                            "Coil sweep test library",
                            "1.2.2.0",
                            "kelt-debug",
                            "Copyright \xA9 Halvery Engineering Ltd.",
                            "",  // no LegalTrademarks
                            "kelt-debug.dll",
                            "KeltControl",
                            "1.2.2.0",
                            ""};  // no Comments
  for (int i = 0; i < 10; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(info.GetVerString(i), expected[i]);
  }
  EXPECT_EQ(info.GetVerString(-1), "");
  EXPECT_EQ(info.GetVerString(10), "");
  EXPECT_EQ(VersionCaption(Fixture("kelt-debug.dll")), "KeltControl 1.2.2.0");
}

TEST(QzVerInfo, FlagsOutsideTheMaskAndTheFirstLanguage) {
  // Every flag set, only Pre-release and Private build in the mask; German listed first.
  TVerInfoRes info(Fixture("odd-flags.dll"));
  EXPECT_EQ(info.Flags(), (std::vector<std::string>{"Pre-release", "Private build"}));
  EXPECT_EQ(info.GetFileVersion(), "65535.0.65535.7");
  EXPECT_EQ(info.GetProductName(), "Kelt Deutsch");
  EXPECT_EQ(info.GetVerString(9), "") << "Comments exists only in the language listed second";
}

TEST(QzVerInfo, TheRunningExecutableCarriesTheProductsBlock) {
  EXPECT_EQ(VersionCaption("/proc/self/exe"), "KeltControl 1.2.2.0");
  TVerInfoRes info("/proc/self/exe");
  EXPECT_EQ(info.GetVerString(6), "QzVerInfoTest");
  EXPECT_EQ(info.GetVerString(0), "Halvery Engineering Ltd.");
}

TEST(QzVerInfo, VersionToTextPrintsUnsignedHalves) {
  struct {
    std::uint32_t Ms, Ls;
    const char* Text;
  } cases[] = {{0x00010002, 0x00020000, "1.2.2.0"},
               {0xFFFFFFFF, 0xFFFFFFFF, "65535.65535.65535.65535"},
               {0x8000FFFF, 0x00000001, "32768.65535.0.1"},
               {0, 0, "0.0.0.0"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Text);
    EXPECT_EQ(VersionToText(c.Ms, c.Ls), c.Text);
  }
}

TEST(QzVerInfo, TheFirstTranslationNamesTheStringTable) {
  // Language 0C0A, code page 04E4: the table "0C0A04E4" is the one asked.
  VersionBlock::TBlockContents c = Contents();
  c.Language = 0x0C0A;
  TTempFile file(MakeElf(VersionBlock::Build(c)).Image);
  TVerInfoRes info(file.Path());
  EXPECT_EQ(info.GetProductName(), "KeltControl");

  void* value = nullptr;
  TVerUint len = 0;
  std::vector<std::uint8_t> block(GetFileVersionInfoSizeA(file.Path().c_str(), nullptr));
  ASSERT_TRUE(GetFileVersionInfoA(file.Path().c_str(), 0, static_cast<TVerDword>(block.size()), block.data()));
  EXPECT_TRUE(VerQueryValueA(block.data(), "\\StringFileInfo\\0C0A04E4\\ProductName", &value, &len));
  EXPECT_FALSE(VerQueryValueA(block.data(), "\\StringFileInfo\\040904E4\\ProductName", &value, &len));
}

TEST(QzVerInfo, WithoutAProductNameTheCaptionIsABlankAndTheVersion) {
  VersionBlock::TBlockContents c = Contents();
  c.Strings = {{"CompanyName", "Halvery Engineering Ltd."}};
  TTempFile file(MakeElf(VersionBlock::Build(c)).Image);
  EXPECT_EQ(VersionCaption(file.Path()), " 1.2.2.0");
}

// Each failure raises its own error type with its message, and VersionCaption
// passes it on unchanged.
TEST(QzVerInfo, MissingOrDamagedInformationRaisesItsError) {
  const Bytes pe = ReadFile(Fixture("kelt-debug.dll"));
  ASSERT_EQ(pe.size(), 4753u);
  const std::size_t block = 0x858;  // the block's offset in kelt-debug.dll
  ASSERT_EQ(pe[block] | pe[block + 1] << 8, 0x314);
  auto patched = [&](const std::function<void(Bytes&)>& patch) {
    Bytes b = pe;
    patch(b);
    return b;
  };
  // Our own block with the fixed record cut to a length, its children moved up.
  auto fixedOf = [](std::uint16_t length) {
    Bytes b = VersionBlock::Build(Contents());
    b.erase(b.begin() + 40 + length, b.begin() + 40 + 52);
    Put16(b, 0, static_cast<std::uint16_t>(b.size()));
    Put16(b, 2, length);
    return MakeElf(b).Image;
  };
  const Bytes noFixed = fixedOf(0), shortFixed = fixedOf(48);
  const Bytes renamedRoot = patched([&](Bytes& b) { b[block + 6] = 'X'; });
  const Bytes rootTooLong = patched([&](Bytes& b) { Put16(b, block, 0x400); });
  // A translation entry cut to its language word.
  VersionBlock::TBlockContents c = Contents();
  Bytes halfTranslation = VersionBlock::Build(c);
  Put16(halfTranslation, halfTranslation.size() - 4 - 2 - 24 - 4, 2);
  const Bytes halfElf = MakeElf(halfTranslation).Image;

  enum TKind { kNoInfo, kVerInfo, kNoFixed };
  struct TCase {
    const char* Name;
    std::string File;
    TKind Kind;
    const char* Message;
  };
  TTempFile f1(noFixed), f2(shortFixed), f3(renamedRoot), f4(rootTooLong), f5(halfElf);
  const TCase cases[] = {
      {"resources without a version block", Fixture("no-version.dll"), kNoInfo, "No Version Info Available."},
      {"no resources at all", Fixture("no-resources.dll"), kNoInfo, "No Version Info Available."},
      {"cut off in the block", Fixture("kelt-debug-truncated.dll"), kNoInfo, "No Version Info Available."},
      {"no such file", Fixture("missing.dll"), kNoInfo, "No Version Info Available."},
      {"a text file", Fixture("kelt-debug.rc"), kNoInfo, "No Version Info Available."},
      {"root that is no version block", f3.Path(), kVerInfo, "Cannot obtain version info."},
      {"root longer than its resource", f4.Path(), kVerInfo, "Cannot obtain version info."},
      {"no translation table", Fixture("no-translation.dll"), kVerInfo, "No language info."},
      {"half a translation entry", f5.Path(), kVerInfo, "No language info."},
      {"no fixed record", f1.Path(), kNoFixed, "No fixed file info"},
      {"fixed record of 48 bytes", f2.Path(), kNoFixed, "No fixed file info"},
  };
  for (const TCase& t : cases) {
    SCOPED_TRACE(t.Name);
    for (bool viaCaption : {false, true}) {
      try {
        if (viaCaption)
          VersionCaption(t.File);
        else
          TVerInfoRes info(t.File);
        ADD_FAILURE() << "no error raised";
      } catch (const ENoVerInfoError& e) {
        EXPECT_EQ(t.Kind, kNoInfo);
        EXPECT_STREQ(e.what(), t.Message);
      } catch (const EVerInfoError& e) {
        EXPECT_EQ(t.Kind, kVerInfo);
        EXPECT_STREQ(e.what(), t.Message);
      } catch (const eNoFixeVerInfo& e) {
        EXPECT_EQ(t.Kind, kNoFixed);
        EXPECT_STREQ(e.what(), t.Message);
      }
    }
  }
}
