#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest/QTest>

#include <memory>
#include <string>
#include <vector>

#include "QzRegistry.h"
#include "Registry.h"
#include "TestSupport.h"

namespace {

const QSize Screen(1024, 768);
const QRect Design(275, 206, 500, 400);

std::string FormKey(const char* form = "ControlForm") { return AppRegistryKey() + "\\" + form; }

std::unique_ptr<QWidget> MakeForm(const char* name = "ControlForm") {
  auto form = std::make_unique<QWidget>();
  form->setObjectName(QString::fromLatin1(name));
  form->move(Design.topLeft());
  form->resize(Design.size());
  return form;
}

// Writes values into a subkey the way another program or an earlier run would.
void Store(const std::string& key, const std::vector<std::pair<std::string, std::int32_t>>& integers,
           const std::vector<std::pair<std::string, std::string>>& texts = {}) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(key, true));
  for (const auto& [name, value] : integers) reg.WriteInteger(name, value);
  for (const auto& [name, value] : texts) reg.WriteString(name, value);
  reg.CloseKey();
}

struct TValue {
  TRegDataType Type = TRegDataType::rdUnknown;
  std::int32_t Integer = 0;
  std::string Text;
};

TValue Stored(const std::string& key, const std::string& name) {
  TRegistry reg;
  TValue v;
  if (!reg.OpenKeyReadOnly(key)) return v;
  v.Type = reg.GetDataType(name);
  if (v.Type == TRegDataType::rdInteger) v.Integer = reg.ReadInteger(name);
  if (v.Type == TRegDataType::rdString) v.Text = reg.ReadString(name);
  return v;
}

bool KeyExists(const std::string& key) { return TRegistry().KeyExists(key); }

QString StoreFile() { return QString::fromStdString(TRegistry::StoreFileName(HKEY_CURRENT_USER)); }

class QzRegistryTest : public ::testing::Test {
protected:
  void SetUp() override { TestSupport::ClearSettings(); }
  void TearDown() override { TestSupport::ClearSettings(); }
};

}  // namespace

TEST_F(QzRegistryTest, KeysFollowTheExecutablesName) {
  EXPECT_EQ(MakerRegKey, "Software\\Halvery\\");
  EXPECT_EQ(AppRegistryKey(), "Software\\Halvery\\QzRegistryTest");
  struct {
    const char* Path;
    const char* Key;
  } cases[] = {{"/opt/kelt/bin/KeltControl", "Software\\Halvery\\KeltControl"},
               {"C:\\Apps\\KeltControl.exe", "Software\\Halvery\\KeltControl"},
               {"/home/eng/kelt.control.bin", "Software\\Halvery\\kelt.control"},
               {"/home/eng/Kelt2", "Software\\Halvery\\Kelt2"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Path);
    EXPECT_EQ(AppRegistryKeyFor(c.Path), c.Key);
  }
}

TEST_F(QzRegistryTest, FirstStartKeepsTheDesignAndCreatesAnEmptyProgramKey) {
  auto form = MakeForm();
  RestoreFormPlacement(form.get(), false, true, Screen);
  EXPECT_EQ(form->frameGeometry(), Design);
  EXPECT_FALSE(form->isVisible());
  EXPECT_EQ(form->windowState(), Qt::WindowNoState);

  TRegistry reg;
  ASSERT_TRUE(reg.OpenKeyReadOnly(AppRegistryKey())) << "the program key is created by the first restore";
  EXPECT_TRUE(reg.GetKeyNames().empty()) << "reading never creates the window's subkey";
  EXPECT_TRUE(reg.GetValueNames().empty());
}

TEST_F(QzRegistryTest, TheScreenCheckRunsWithNothingStored) {
  auto form = MakeForm();
  form->move(-40, 900);
  RestoreFormPlacement(form.get(), false, true, Screen);
  EXPECT_EQ(form->frameGeometry().topLeft(), QPoint(0, 568));
  EXPECT_FALSE(KeyExists(FormKey()));
}

TEST_F(QzRegistryTest, TheScreenCheckPullsWindowsBackOntoTheScreen) {
  struct {
    std::int32_t Left, Top;
    QPoint Expected;
  } cases[] = {
      {-5, 10, {0, 10}},    {924, 10, {924, 10}},  {925, 10, {824, 10}},    // W = 1024
      {10, -5, {10, 0}},    {10, 668, {10, 668}},  {10, 669, {10, 568}},    // H = 768
      {2000, 2000, {824, 568}}, {-300, -300, {0, 0}}};                      // both axes
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.Left << "," << c.Top);
    Store(FormKey(), {{"Left", c.Left}, {"Top", c.Top}});
    auto form = MakeForm();
    RestoreFormPlacement(form.get(), false, true, Screen);
    EXPECT_EQ(form->frameGeometry().topLeft(), c.Expected);
    EXPECT_EQ(form->frameGeometry().size(), Design.size());
  }
}

TEST_F(QzRegistryTest, AWindowWiderThanTheScreenIsNotResized) {
  Store(FormKey(), {{"Left", 10}, {"Top", 20}, {"Width", 3000}, {"Height", 2000}});
  auto form = MakeForm();
  RestoreFormPlacement(form.get(), false, true, Screen);
  EXPECT_EQ(form->frameGeometry(), QRect(10, 20, 3000, 2000));

  // Without restoreSize only the position is applied.
  auto other = MakeForm();
  RestoreFormPlacement(other.get(), false, false, Screen);
  EXPECT_EQ(other->frameGeometry(), QRect(10, 20, 500, 400));
}

TEST_F(QzRegistryTest, SaveThenRestoreReproducesThePlacement) {
  auto form = MakeForm();
  form->move(123, 145);
  form->resize(432, 321);
  SaveFormPlacement(form.get());
  EXPECT_EQ(Stored(FormKey(), "Left").Integer, 123);
  EXPECT_EQ(Stored(FormKey(), "Top").Type, TRegDataType::rdInteger);
  EXPECT_EQ(Stored(FormKey(), "Width").Integer, 432);
  EXPECT_EQ(Stored(FormKey(), "Height").Integer, 321);
  EXPECT_EQ(Stored(FormKey(), "WinState").Integer, 0);

  auto again = MakeForm();
  RestoreFormPlacement(again.get(), false, true, Screen);
  EXPECT_EQ(again->frameGeometry(), QRect(123, 145, 432, 321));
}

TEST_F(QzRegistryTest, AShownWindowComesBackWithTheSameOuterBounds) {
  auto form = MakeForm();
  form->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  form->move(150, 120);
  form->resize(600, 450);
  QApplication::processEvents();
  const QRect saved = form->frameGeometry();
  SaveFormPlacement(form.get());
  form.reset();

  // Restored before it is shown, as the windows do at creation.
  auto again = MakeForm();
  RestoreFormPlacement(again.get(), false, true, Screen);
  again->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(again.get()));
  QApplication::processEvents();
  EXPECT_EQ(again->frameGeometry(), saved);
}

TEST_F(QzRegistryTest, VisibleIsWrittenAsTextAndRestoredOnRequest) {
  auto form = MakeForm();
  form->show();
  SaveFormPlacement(form.get());
  TValue visible = Stored(FormKey(), "Visible");
  EXPECT_EQ(visible.Type, TRegDataType::rdString);
  EXPECT_EQ(visible.Text, "1");
  form->hide();
  SaveFormPlacement(form.get());
  EXPECT_EQ(Stored(FormKey(), "Visible").Text, "0");

  struct {
    const char* Name;
    std::vector<std::pair<std::string, std::int32_t>> Integers;
    std::vector<std::pair<std::string, std::string>> Texts;
    bool Shown;
  } cases[] = {{"nothing stored hides", {}, {}, false},
               {"text 1 shows", {}, {{"Visible", "1"}}, true},
               {"text 0 hides", {}, {{"Visible", "0"}}, false},
               {"integer 1 shows", {{"Visible", 1}}, {}, true},
               {"any other number shows", {}, {{"Visible", "7"}}, true},
               {"no number hides", {}, {{"Visible", "yes"}}, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TestSupport::ClearSettings();
    if (!c.Integers.empty() || !c.Texts.empty()) Store(FormKey(), c.Integers, c.Texts);
    auto shown = MakeForm();
    shown->show();
    RestoreFormPlacement(shown.get(), true, true, Screen);
    EXPECT_EQ(shown->isVisible(), c.Shown);
  }
}

TEST_F(QzRegistryTest, AMaximisedWindowSavesItsMaximisedBoundsAndComesBackMaximised) {
  auto form = MakeForm();
  form->show();
  form->setWindowState(Qt::WindowMaximized);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  QApplication::processEvents();
  const QRect maximised = form->frameGeometry();
  ASSERT_NE(maximised, Design);
  SaveFormPlacement(form.get());
  EXPECT_EQ(Stored(FormKey(), "WinState").Integer, 2);
  EXPECT_EQ(Stored(FormKey(), "Left").Integer, maximised.x());
  EXPECT_EQ(Stored(FormKey(), "Width").Integer, maximised.width());
  EXPECT_EQ(Stored(FormKey(), "Height").Integer, maximised.height());

  auto again = MakeForm();
  RestoreFormPlacement(again.get(), false, true, maximised.size());
  EXPECT_TRUE(again->windowState() & Qt::WindowMaximized);
  again->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(again.get()));
  QApplication::processEvents();
  EXPECT_EQ(again->frameGeometry(), maximised);
}

TEST_F(QzRegistryTest, WinStateOutsideZeroToTwoKeepsTheCurrentState) {
  for (std::int32_t state : {3, -1, 1000}) {
    SCOPED_TRACE(state);
    Store(FormKey(), {{"WinState", state}});
    auto form = MakeForm();
    form->setWindowState(Qt::WindowMaximized);
    RestoreFormPlacement(form.get(), false, true, Screen);
    EXPECT_EQ(form->windowState(), Qt::WindowMaximized);
    auto normal = MakeForm();
    RestoreFormPlacement(normal.get(), false, true, Screen);
    EXPECT_EQ(normal->windowState(), Qt::WindowNoState);
  }
  Store(FormKey(), {{"WinState", 1}});
  auto form = MakeForm();
  RestoreFormPlacement(form.get(), false, true, Screen);
  EXPECT_TRUE(form->windowState() & Qt::WindowMinimized);
}

TEST_F(QzRegistryTest, IntegersReadFromTextAndTextThatIsNoNumberReadsAsTheDefault) {
  Store(FormKey(), {{"Top", 50}}, {{"Width", "640"}, {"Left", "twelve"}, {"Height", "-"}});
  auto form = MakeForm();
  RestoreFormPlacement(form.get(), false, true, Screen);
  EXPECT_EQ(form->frameGeometry(), QRect(Design.x(), 50, 640, Design.height()));

  // Texts that read as numbers, and sizes of nothing that would hide the window.
  TestSupport::ClearSettings();
  Store(FormKey(), {{"Height", 0}}, {{"Left", "-12"}, {"Top", "+30"}, {"Width", " 99"}});
  auto other = MakeForm();
  RestoreFormPlacement(other.get(), false, true, QSize(4000, 4000));
  EXPECT_EQ(other->frameGeometry(), QRect(0, 30, Design.width(), Design.height()));
}

TEST_F(QzRegistryTest, AnIntegerWrittenOverATextStaysText) {
  Store(FormKey(), {}, {{"Width", "640"}, {"WinState", "0"}, {"Other", "kept"}});
  auto form = MakeForm();
  form->move(10, 20);
  form->resize(333, 222);
  SaveFormPlacement(form.get());
  TValue width = Stored(FormKey(), "Width");
  EXPECT_EQ(width.Type, TRegDataType::rdString);
  EXPECT_EQ(width.Text, "333");
  EXPECT_EQ(Stored(FormKey(), "WinState").Type, TRegDataType::rdString);
  EXPECT_EQ(Stored(FormKey(), "Height").Type, TRegDataType::rdInteger);
  EXPECT_EQ(Stored(FormKey(), "Other").Text, "kept");

  auto again = MakeForm();
  RestoreFormPlacement(again.get(), false, true, Screen);
  EXPECT_EQ(again->frameGeometry(), QRect(10, 20, 333, 222));
}

TEST_F(QzRegistryTest, SavingKeepsEveryOtherKeyOfTheStore) {
  Store("Software\\Classes\\CLSID\\{00000000-0000-0000-0000-000000000001}\\InprocServer32", {},
        {{"", "/opt/kelt/libcoil.so"}});
  Store(MakerRegKey + "Other", {{"Left", 1}});
  Store(FormKey("IniPadForm"), {{"Left", 77}});
  auto form = MakeForm();
  SaveFormPlacement(form.get());
  EXPECT_EQ(Stored("Software\\Classes\\CLSID\\{00000000-0000-0000-0000-000000000001}\\InprocServer32", "").Text,
            "/opt/kelt/libcoil.so");
  EXPECT_EQ(Stored(MakerRegKey + "Other", "Left").Integer, 1);
  EXPECT_EQ(Stored(FormKey("IniPadForm"), "Left").Integer, 77);
  EXPECT_EQ(Stored(FormKey(), "Left").Integer, Design.x());
}

// A store with lines that cannot be parsed: restoring gives the design
// placement, and saving keeps every key that could be read and the damaged
// file beside it.
TEST_F(QzRegistryTest, ADamagedStoreGivesDefaultsAndLosesNothingReadable) {
  const QByteArray damaged = QByteArray("[Software]\nHalvery\\Other\\@Left=dword:00000005\n"
                                        "Halvery\\@company=Ours\n") +
                             QByteArray(40, '\0') + QByteArray("\n[unterminated\n\xff\xfe=\n");
  ASSERT_TRUE(QDir().mkpath(QFileInfo(StoreFile()).path()));
  {
    QFile f(StoreFile());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(damaged);
  }
  auto form = MakeForm();
  EXPECT_NO_THROW(RestoreFormPlacement(form.get(), true, true, Screen));
  EXPECT_EQ(form->frameGeometry(), Design);
  EXPECT_FALSE(form->isVisible());
  EXPECT_NO_THROW(LoadCompanyInfo());
  EXPECT_EQ(CompanyInfo().company, "Ours");
  EXPECT_EQ(CompanyInfo().web, "https://www.halvery.example/");

  SaveFormPlacement(form.get());
  EXPECT_EQ(Stored(FormKey(), "Left").Integer, Design.x());
  EXPECT_EQ(Stored(MakerRegKey + "Other", "Left").Integer, 5);
  EXPECT_EQ(Stored("Software\\Halvery", "company").Text, "Ours");
  // The file as it was is kept beside the store, byte for byte.
  const QStringList copies =
      QDir(QFileInfo(StoreFile()).path()).entryList({QFileInfo(StoreFile()).fileName() + ".damaged-*"});
  ASSERT_EQ(copies.size(), 1);
  QFile copy(QFileInfo(StoreFile()).path() + "/" + copies[0]);
  ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
  EXPECT_EQ(copy.readAll(), damaged);
  // A second save in the same process writes as well.
  form->move(Design.x() + 10, Design.y());
  SaveFormPlacement(form.get());
  EXPECT_EQ(Stored(FormKey(), "Left").Integer, Design.x() + 10);
}

TEST_F(QzRegistryTest, AnUnreadableStoreGivesDefaults) {
  // A folder where the file should be: nothing can read or write it.
  ASSERT_TRUE(QDir().mkpath(StoreFile()));
  auto form = MakeForm();
  form->move(-20, 20);
  EXPECT_NO_THROW(RestoreFormPlacement(form.get(), false, true, Screen));
  EXPECT_EQ(form->frameGeometry(), QRect(0, 20, 500, 400)) << "the screen check still runs";
  EXPECT_THROW(SaveFormPlacement(form.get()), ERegistryException);
  EXPECT_NO_THROW(LoadCompanyInfo());
  QDir(StoreFile()).removeRecursively();
}

TEST_F(QzRegistryTest, CommonFilesFolderReadsTheMachineStoreWithADefault) {
  const QString machineFile = QString::fromStdString(TRegistry::StoreFileName(HKEY_LOCAL_MACHINE));
  const QString entry = QStringLiteral("Software/Microsoft/Windows/CurrentVersion/@CommonFilesDir");
  struct {
    const char* Name;
    QString Stored;  // null: no value at all
    std::string Expected;
  } cases[] = {{"no value", QString(), "/usr/share/"},
               {"a folder", QStringLiteral("/opt/common"), "/opt/common/"},
               {"a folder with its delimiter", QStringLiteral("/opt/common/"), "/opt/common/"},
               {"empty text", QStringLiteral(""), "/usr/share/"},
               {"an integer", QStringLiteral("dword:00000005"), "/usr/share/"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    QFile::remove(machineFile);
    if (!c.Stored.isNull()) {
      QSettings machine(machineFile, QSettings::IniFormat);
      machine.setValue(entry, c.Stored);
    }
    EXPECT_EQ(CommonFilesFolder(), c.Expected);
  }
  QFile::remove(machineFile);
}

TEST_F(QzRegistryTest, CompanyInfoTakesStoredValuesOverItsDefaults) {
  LoadCompanyInfo();
  TCompanyInfo defaults = CompanyInfo();
  EXPECT_EQ(defaults.company, "Halvery Engineering Ltd.");
  EXPECT_EQ(defaults.logo, CommonFilesFolder() + "Halvery/ReportLogo.gif");
  EXPECT_EQ(defaults.fax, defaults.tel);
  EXPECT_EQ(defaults.user, "");
  for (const std::string* v : {&defaults.description, &defaults.addr1, &defaults.addr2, &defaults.code,
                               &defaults.country, &defaults.email, &defaults.web, &defaults.tel})
    EXPECT_FALSE(v->empty());
  EXPECT_TRUE(KeyExists("Software")) << "loading opens Software, creating it";
  EXPECT_FALSE(KeyExists("Software\\Halvery")) << "but never creates the maker's key";

  Store("Software\\Halvery", {{"code", 4711}}, {{"web", "https://example.org/"}, {"user", "J. Smith"}});
  LoadCompanyInfo();
  EXPECT_EQ(CompanyInfo().web, "https://example.org/");
  EXPECT_EQ(CompanyInfo().user, "J. Smith");
  EXPECT_EQ(CompanyInfo().code, "4711");
  EXPECT_EQ(CompanyInfo().company, defaults.company);
}

// Real program starts: the helper restores a window, prints where it came up,
// then moves it and saves on close.
namespace {

QString RunHelper(const QString& program, const QStringList& args) {
  QProcess p;
  p.start(program, args);
  EXPECT_TRUE(p.waitForFinished(30000));
  EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
  return QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
}

}  // namespace

TEST_F(QzRegistryTest, ARenamedExecutableUsesItsOwnKeyAndTheOldOneStaysUntouched) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString kelt = dir.filePath(QStringLiteral("KeltControl"));
  const QString renamed = dir.filePath(QStringLiteral("KeltCopy"));
  ASSERT_TRUE(QFile::copy(QStringLiteral(QZREGISTRY_HELPER), kelt));
  ASSERT_TRUE(QFile::copy(QStringLiteral(QZREGISTRY_HELPER), renamed));
  const QStringList moveTo{QStringLiteral("ControlForm"), "300", "240", "610", "470"};

  EXPECT_EQ(RunHelper(kelt, moveTo), "275 206 500 400");
  EXPECT_EQ(RunHelper(kelt, {"ControlForm", "10", "10", "300", "200"}), "300 240 610 470")
      << "moved, closed and started again: back where it was";
  EXPECT_EQ(RunHelper(renamed, {"ControlForm", "1", "2", "303", "204"}), "275 206 500 400")
      << "the renamed program starts at the design placement";
  EXPECT_EQ(Stored("Software\\Halvery\\KeltControl\\ControlForm", "Left").Integer, 10);
  EXPECT_EQ(Stored("Software\\Halvery\\KeltControl\\ControlForm", "Width").Integer, 300);
  EXPECT_EQ(Stored("Software\\Halvery\\KeltCopy\\ControlForm", "Width").Integer, 303);
}

TEST_F(QzRegistryTest, InstancesClosingAtOnceLeaveAReadableStore) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  Store("Software\\Halvery\\Unrelated", {{"Keep", 42}});
  constexpr int Count = 6;
  std::vector<std::unique_ptr<QProcess>> running;
  for (int i = 0; i < Count; ++i) {
    const QString exe = dir.filePath(QStringLiteral("Kelt%1").arg(i));
    ASSERT_TRUE(QFile::copy(QStringLiteral(QZREGISTRY_HELPER), exe));
    auto p = std::make_unique<QProcess>();
    p->setProgram(exe);
    p->setArguments({"ControlForm", QString::number(10 + i), "20", "400", "300"});
    running.push_back(std::move(p));
  }
  for (auto& p : running) p->start();
  for (auto& p : running) {
    ASSERT_TRUE(p->waitForFinished(30000));
    EXPECT_EQ(p->exitCode(), 0) << p->readAllStandardError().toStdString();
  }
  for (int i = 0; i < Count; ++i) {
    SCOPED_TRACE(i);
    const std::string key = "Software\\Halvery\\Kelt" + std::to_string(i) + "\\ControlForm";
    EXPECT_EQ(Stored(key, "Left").Integer, 10 + i);
    EXPECT_EQ(Stored(key, "Visible").Text, "0");
  }
  EXPECT_EQ(Stored("Software\\Halvery\\Unrelated", "Keep").Integer, 42);
}
