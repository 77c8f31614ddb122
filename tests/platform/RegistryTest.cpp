#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "Registry.h"
#include "TestSupport.h"

namespace {

QByteArray StoreBytes() {
  QFile f(QString::fromStdString(TRegistry::StoreFileName(HKEY_CURRENT_USER)));
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteStoreBytes(const QByteArray& bytes) {
  const QString path = QString::fromStdString(TRegistry::StoreFileName(HKEY_CURRENT_USER));
  QDir().mkpath(QFileInfo(path).path());
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  f.write(bytes);
}

class RegistryTest : public ::testing::Test {
protected:
  void SetUp() override { TestSupport::ClearSettings(); }
};

}  // namespace

TEST_F(RegistryTest, IntegersAndTextsKeepTheirTypes) {
  {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("Software\\Maker\\Program\\Window", true));
    reg.WriteInteger("Left", -5);
    reg.WriteString("Width", "640");
    reg.WriteString("Tricky", "dword:0000000a");  // text that looks like an integer marker
    reg.WriteString("", "default value");
  }
  // The types are in the file itself, not in a cache of this process.
  EXPECT_TRUE(StoreBytes().contains("dword:fffffffb"));

  TRegistry reg;
  ASSERT_TRUE(reg.OpenKeyReadOnly("\\Software\\Maker\\Program\\Window"));
  EXPECT_EQ(reg.GetDataType("Left"), TRegDataType::rdInteger);
  EXPECT_EQ(reg.ReadInteger("Left"), -5);
  EXPECT_EQ(reg.GetDataType("Width"), TRegDataType::rdString);
  EXPECT_EQ(reg.ReadString("Width"), "640");
  EXPECT_THROW(reg.ReadInteger("Width"), ERegistryException);
  EXPECT_THROW(reg.ReadString("Left"), ERegistryException);
  EXPECT_EQ(reg.GetDataType("Tricky"), TRegDataType::rdString);
  EXPECT_EQ(reg.ReadString("Tricky"), "dword:0000000a");
  EXPECT_EQ(reg.ReadString(""), "default value");
  EXPECT_EQ(reg.GetDataType("Missing"), TRegDataType::rdUnknown);
  EXPECT_EQ(reg.ReadString("Missing"), "");
  std::vector<std::string> names = reg.GetValueNames();
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"", "Left", "Tricky", "Width"}));
}

TEST_F(RegistryTest, OpeningWithoutCreateNeverCreatesAKey) {
  TRegistry reg;
  EXPECT_FALSE(reg.OpenKey("Software\\Maker\\Nothing", false));
  EXPECT_FALSE(reg.OpenKeyReadOnly("Software\\Maker\\Nothing"));
  EXPECT_FALSE(reg.KeyExists("Software\\Maker\\Nothing"));
  EXPECT_FALSE(reg.KeyExists("Software\\Maker"));

  // A key created empty exists, and so do the keys above it.
  ASSERT_TRUE(reg.OpenKey("Software\\Maker\\Empty", true));
  reg.CloseKey();
  EXPECT_TRUE(reg.KeyExists("Software\\Maker\\Empty"));
  EXPECT_TRUE(reg.KeyExists("Software\\Maker"));
  ASSERT_TRUE(reg.OpenKey("Software\\Maker\\Empty", false));
  EXPECT_TRUE(reg.GetValueNames().empty());
}

TEST_F(RegistryTest, DeleteKeyRemovesTheWholeSubtreeOnly) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey("Software\\A\\B\\C", true));
  reg.WriteInteger("x", 1);
  ASSERT_TRUE(reg.OpenKey("Software\\A\\Keep", true));
  reg.WriteString("y", "kept");
  ASSERT_TRUE(reg.OpenKey("Software\\A", false));
  EXPECT_TRUE(reg.DeleteKey("B"));
  EXPECT_FALSE(reg.DeleteKey("B"));
  reg.CloseKey();
  EXPECT_FALSE(reg.KeyExists("Software\\A\\B\\C"));
  ASSERT_TRUE(reg.OpenKeyReadOnly("Software\\A\\Keep"));
  EXPECT_EQ(reg.ReadString("y"), "kept");
}

TEST_F(RegistryTest, MachineRootIsReadOnly) {
  TRegistry reg(HKEY_LOCAL_MACHINE);
  EXPECT_THROW(reg.OpenKey("Software\\Vendor", true), ERegistryException);
  const QString path = QString::fromStdString(TRegistry::StoreFileName(HKEY_LOCAL_MACHINE));
  QDir().mkpath(QFileInfo(path).path());
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  f.write("[Software]\nVendor\\@Dir=/opt/common\n");
  f.close();
  ASSERT_TRUE(reg.OpenKeyReadOnly("Software\\Vendor"));
  EXPECT_EQ(reg.ReadString("Dir"), "/opt/common");
  EXPECT_THROW(reg.WriteString("Dir", "x"), ERegistryException);
  reg.CloseKey();
  QFile::remove(path);
}

// Lines that cannot be parsed are skipped; writing keeps every value that
// could be read.
TEST_F(RegistryTest, DamagedStoreKeepsWhatCanBeReadWhenWritten) {
  const QByteArray damaged = QByteArray("[Software\\Maker]\n@company=Ours\n") + QByteArray(64, '\0') +
                             QByteArray("\n[unterminated\n\xff\xfe=\n");
  WriteStoreBytes(damaged);
  TRegistry reg;
  EXPECT_FALSE(reg.OpenKey("Software\\Maker\\Program", false));
  ASSERT_TRUE(reg.OpenKey("Software\\Maker\\Program", true));
  reg.WriteInteger("Left", 10);
  reg.CloseKey();

  ASSERT_TRUE(reg.OpenKeyReadOnly("Software\\Maker"));
  EXPECT_EQ(reg.ReadString("company"), "Ours");
  ASSERT_TRUE(reg.OpenKeyReadOnly("Software\\Maker\\Program"));
  EXPECT_EQ(reg.ReadInteger("Left"), 10);
}
