#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "CoKeltCoil.h"
#include "Com.h"
#include "Registry.h"
#include "TestSupport.h"

namespace {

constexpr CLSID CLASS_UnknownOnly{0x60274A22, 0x5CB9, 0x4800, {0xA5, 0xEB, 0xF7, 0x9F, 0x36, 0xEA, 0x58, 0x76}};
constexpr CLSID CLASS_Probe{0x1A9AEBE1, 0xA527, 0x4E0D, {0xB0, 0xEC, 0x5E, 0xA6, 0xB2, 0x1A, 0xB3, 0x29}};

void RegisterPath(const CLSID& clsid, const std::string& path) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(ClassKeyPath(clsid) + "\\InprocServer32", true));
  reg.WriteString("", path);
}

std::string RegisteredPath(const CLSID& clsid) {
  TRegistry reg;
  if (!reg.OpenKeyReadOnly(ClassKeyPath(clsid) + "\\InprocServer32")) return {};
  return reg.ReadString("");
}

struct TApartment {
  TApartment() { CoInitialize(); }
  ~TApartment() { CoUninitialize(); }
};

}  // namespace

TEST(Guid, FormatsAndParsesTheBracedForm) {
  const std::string text = GUIDToString(CLASS_UnknownOnly);
  EXPECT_EQ(text, "{60274A22-5CB9-4800-A5EB-F79F36EA5876}");
  EXPECT_EQ(StringToGUID(text), CLASS_UnknownOnly);
  EXPECT_EQ(StringToGUID("{60274a22-5cb9-4800-a5eb-f79f36ea5876}"), CLASS_UnknownOnly);
  for (const char* bad : {"", "60274A22-5CB9-4800-A5EB-F79F36EA5876", "{60274A22-5CB9-4800-A5EB-F79F36EA587}",
                          "{60274A22-5CB9-4800-A5EBF-79F36EA5876}", "{6027+A22-5CB9-4800-A5EB-F79F36EA5876}",
                          "{60274A22-5CB9-4800-A5EB-F79F36EA587G}"}) {
    SCOPED_TRACE(bad);
    EXPECT_FALSE(StringToGUID(bad).has_value());
  }
}

TEST(BStr, KeepsLengthAndSingleByteText) {
  const std::string text = "Temp \xB0" "C \x80 5";  // degree sign, euro sign
  TBStr b(text);
  EXPECT_EQ(SysStringLen(b.Get()), text.size());
  EXPECT_EQ(b.Get()[5], u'\u00B0');
  EXPECT_EQ(b.Get()[8], u'\u20AC');
  EXPECT_EQ(b.ToString(), text);
  EXPECT_EQ(SysStringLen(nullptr), 0u);
  EXPECT_EQ(StringFromBStr(nullptr), "");
  SysFreeString(nullptr);
}

namespace {
struct TCounted final : IUnknown {
  int Refs = 1;
  HRESULT QueryInterface(const IID&, void**) override { return E_NOINTERFACE; }
  uint32_t AddRef() override { return ++Refs; }
  uint32_t Release() override { return --Refs; }
};
}  // namespace

TEST(ComPtrTest, ReleasesOnReplacementAndDestruction) {
  TCounted a, b;
  {
    ComPtr<IUnknown> p = ComPtr<IUnknown>::Attach(&a);
    ComPtr<IUnknown> copy = p;
    EXPECT_EQ(a.Refs, 2);
    copy = ComPtr<IUnknown>::Attach(&b);
    EXPECT_EQ(a.Refs, 1);
    p = nullptr;
    EXPECT_EQ(a.Refs, 0);
    EXPECT_EQ(b.Refs, 1);
  }
  EXPECT_EQ(b.Refs, 0);
}

TEST(CoCreate, NeedsAnApartment) {
  ComPtr<IUnknown> unknown;
  EXPECT_EQ(CoCreateInstance(CLASS_UnknownOnly, nullptr, CLSCTX_INPROC_SERVER, IUnknown::Iid, unknown.PutVoid()),
            CO_E_NOTINITIALIZED);
}

// Each way that creating the coil server can fail gives its own message with
// the class identifier, as an exception (never a crash).
TEST(CoCreate, FailuresGiveTheirOwnMessages) {
  TApartment apartment;
  QTemporaryDir dir;
  const std::string textFile = (dir.path() + "/not-a-library.so").toStdString();
  {
    QFile f(QString::fromStdString(textFile));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("this is text, not a shared library\n");
  }
  const std::string guid = GUIDToString(CLASS_Probe);
  struct TCase {
    const char* Name;
    std::string Path;  // empty: not registered
    const char* Message;
    HRESULT Code;
  } cases[] = {
      {"unregistered", "", "Class not registered", REGDB_E_CLASSNOTREG},
      {"missing file", (dir.path() + "/gone.so").toStdString(), "The specified module could not be found",
       HResultFromWin32(ERROR_MOD_NOT_FOUND)},
      {"not a library", textFile, "The file is not a valid shared library", HResultFromWin32(ERROR_BAD_EXE_FORMAT)},
      {"no entry point", NO_ENTRY_LIB, "The specified procedure could not be found",
       HResultFromWin32(ERROR_PROC_NOT_FOUND)},
      {"success without an object", NULL_FACTORY_SERVER, "Interface not supported", E_NOINTERFACE},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TestSupport::ClearSettings();
    if (!c.Path.empty()) RegisterPath(CLASS_Probe, c.Path);
    try {
      CoKeltCoil::Create(CLASS_Probe);
      ADD_FAILURE() << "creation succeeded";
    } catch (const EOleSysError& e) {
      EXPECT_EQ(e.ErrorCode(), c.Code);
      EXPECT_EQ(e.Message().rfind(c.Message, 0), 0u) << e.Message();
      EXPECT_NE(e.Message().find(guid), std::string::npos) << e.Message();
    }
  }
}

TEST(CoCreate, ObjectWithoutTheCoilInterfaceIsRefused) {
  TApartment apartment;
  TestSupport::ClearSettings();
  RegisterPath(CLASS_UnknownOnly, UNKNOWN_ONLY_SERVER);
  ComPtr<IUnknown> unknown;
  ASSERT_EQ(CoCreateInstance(CLASS_UnknownOnly, nullptr, CLSCTX_INPROC_SERVER, IUnknown::Iid, unknown.PutVoid()), S_OK);
  try {
    CoKeltCoil::Create(CLASS_UnknownOnly);
    ADD_FAILURE() << "creation succeeded";
  } catch (const EOleSysError& e) {
    EXPECT_EQ(e.ErrorCode(), E_NOINTERFACE);
    EXPECT_EQ(e.Message(), "Interface not supported");
  }
}

TEST(CoCreate, LocalServerIsRecognisedButNotStarted) {
  TApartment apartment;
  TestSupport::ClearSettings();
  {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(ClassKeyPath(CLASS_Probe) + "\\LocalServer32", true));
    reg.WriteString("", "/usr/bin/true");
  }
  ComPtr<IUnknown> unknown;
  EXPECT_EQ(CoCreateInstance(CLASS_Probe, nullptr, CLSCTX_INPROC_SERVER, IUnknown::Iid, unknown.PutVoid()),
            REGDB_E_CLASSNOTREG);
  EXPECT_EQ(CoCreateInstance(CLASS_Probe, nullptr, CLSCTX_SERVER, IUnknown::Iid, unknown.PutVoid()),
            CO_E_SERVER_EXEC_FAILURE);
}

TEST(RegistrationTool, RegistersAndUnregistersAServer) {
  TestSupport::ClearSettings();
  QProcess tool;
  tool.start(KREGSVR, {UNKNOWN_ONLY_SERVER});
  ASSERT_TRUE(tool.waitForFinished());
  EXPECT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
  const std::string registered = RegisteredPath(CLASS_UnknownOnly);
  EXPECT_EQ(QFileInfo(QString::fromStdString(registered)).canonicalFilePath(),
            QFileInfo(UNKNOWN_ONLY_SERVER).canonicalFilePath());

  tool.start(KREGSVR, {"/u", UNKNOWN_ONLY_SERVER});
  ASSERT_TRUE(tool.waitForFinished());
  EXPECT_EQ(tool.exitCode(), 0);
  EXPECT_EQ(RegisteredPath(CLASS_UnknownOnly), "");
  EXPECT_FALSE(TRegistry().KeyExists(ClassKeyPath(CLASS_UnknownOnly)));

  tool.start(KREGSVR, {NO_ENTRY_LIB});
  ASSERT_TRUE(tool.waitForFinished());
  EXPECT_NE(tool.exitCode(), 0);
  EXPECT_TRUE(tool.readAllStandardError().contains("could not be found"));
}
