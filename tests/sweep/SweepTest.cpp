#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <functional>

#include "QzFields.h"
#include "RecordingCoilTest.h"
#include "Sweep.h"

namespace {

using TLog = std::vector<std::string>;

// Progress that the tests watch: counts steps and can act while "the window
// processes its events" after each point.
struct TWatchedProgress : TSweepProgress {
  std::string Model;
  std::vector<std::string> Statuses;
  int32_t Maximum = -1;
  int32_t Position = -1;
  int Points = 0;
  std::function<void(int point)> OnEvents;

  void ShowCoilModel(const std::string& model) override { Model = model; }
  void BeginProgress(int32_t pointCount) override { Maximum = pointCount, Position = 0; }
  void ShowStatus(const std::string& text) override { Statuses.push_back(text); }
  void StepProgress() override { ++Position; }
  void ProcessMessages() override {
    ++Points;
    if (OnEvents) OnEvents(Points);
  }
  void ResetProgress() override { Position = 0; }
};

std::string Fmt(double v) { return Format("%0.15g", v); }

// The calls of one innermost point whose inputs were just set.
TLog PointCalls() {
  return {"Calculate", "get_CalcError", "get_ma", "get_Qai", "get_AirVelocity", "get_DryBulbOn",
          "get_WetBulbOn", "get_Discharge", "get_Qt", "get_Qs", "get_DBo", "get_WBo"};
}

// The calls that set one level's input and write back the model and velocity.
TLog LevelCalls(const std::string& put, const std::string& velocity) {
  return {put, "get_CoilModel", "put_CoilModel(RC-TEST-COIL)", "get_AirVelocity",
          "put_AirVelocity(" + velocity + ")"};
}

void Append(TLog& log, const TLog& more) { log.insert(log.end(), more.begin(), more.end()); }

QStringList FileLines(const std::string& path) {
  QFile f(QString::fromStdString(path));
  if (!f.open(QIODevice::ReadOnly)) return {};
  const QString all = QString::fromLatin1(f.readAll());
  QStringList lines = all.split("\r\n");
  if (!lines.isEmpty() && lines.back().isEmpty()) lines.pop_back();
  return lines;
}

class SweepTest : public ::testing::Test {
protected:
  void SetUp() override {
    CoInitialize();
    RecordingCoil::Reset();
    Coil = RecordingCoil::Create();
    RecordingCoil::TakeLog();
    Path = (Dir.path() + "/Results.csv").toStdString();
    Vars = DefaultLoopVars();
  }
  void TearDown() override {
    Coil = nullptr;
    CoUninitialize();
  }

  std::array<bool, 4> Ticks() const {
    return {Vars[0].Order > 0, Vars[1].Order > 0, Vars[2].Order > 0, Vars[3].Order > 0};
  }
  int32_t Run(char separator = '.') {
    TSweep sweep(Coil, Vars, Progress);
    const int32_t points = sweep.Run(Ticks(), Path, separator);
    CalcError = sweep.FCalcError;
    return points;
  }

  QTemporaryDir Dir;
  ComPtr<IKeltCoil> Coil;
  TLoopVars Vars;
  TWatchedProgress Progress;
  std::string Path;
  int32_t CalcError = -1;
};

TLog RestoreCalls() {
  return {"put_AirVelocity(2.5)", "put_DryBulbOn(27)", "put_WetBulbOn(19)", "put_Discharge(48)", "Calculate"};
}

}  // namespace

TEST_F(SweepTest, DefaultRunCallsTheServerInTheDocumentedOrder) {
  EXPECT_EQ(Run(), 4);

  TLog expected = {"get_CoilModel", "get_AirVelocity", "get_DryBulbOn", "get_WetBulbOn", "get_Discharge"};
  for (double v : {2.0, 3.0, 4.0, 5.0}) {
    Append(expected, LevelCalls("put_AirVelocity(" + Fmt(v) + ")", Fmt(v)));
    Append(expected, PointCalls());
  }
  Append(expected, RestoreCalls());
  EXPECT_EQ(RecordingCoil::TakeLog(), expected);

  const QStringList lines = FileLines(Path);
  ASSERT_EQ(lines.size(), 5);
  EXPECT_EQ(lines[0], "ma, Qai, Vfi, DBi, WBi, tc, Qt, Qs, DBo, WBo");
  // The recording server: ma = 0.6 V, Qai = 0.5 V, Qt = ma (DB - 10), Qs = ma (DB - WB).
  EXPECT_EQ(lines[1], "1.200, 1.000, 2.00, 27.00, 19.00, 48.00, 20.400, 9.600, 17.00, 14.00");
  EXPECT_EQ(lines[4], "3.000, 2.500, 5.00, 27.00, 19.00, 48.00, 51.000, 24.000, 17.00, 14.00");
  EXPECT_EQ(Progress.Model, "RC-TEST-COIL");
  EXPECT_EQ(Progress.Maximum, 4);
  EXPECT_EQ(Progress.Points, 4);
  EXPECT_EQ(Progress.Position, 0);  // back to 0 at the end
  EXPECT_EQ(Progress.Statuses, std::vector<std::string>{"Busy..."});
  EXPECT_EQ(CalcError, 0);
}

TEST_F(SweepTest, TwoVariablesNestInTickOrder) {
  ApplyTickRule(Vars, 1, true);  // Dry Bulb On inside Air Velocity
  EXPECT_EQ(Run(), 20);

  const TLog log = RecordingCoil::TakeLog();
  TLog expected = {"get_CoilModel", "get_AirVelocity", "get_DryBulbOn", "get_WetBulbOn", "get_Discharge"};
  for (double v : {2.0, 3.0, 4.0, 5.0}) {
    Append(expected, LevelCalls("put_AirVelocity(" + Fmt(v) + ")", Fmt(v)));
    for (double db : {25.0, 27.5, 30.0, 32.5, 35.0}) {
      Append(expected, LevelCalls("put_DryBulbOn(" + Fmt(db) + ")", Fmt(v)));
      Append(expected, PointCalls());
    }
  }
  Append(expected, RestoreCalls());
  EXPECT_EQ(log, expected);

  const QStringList lines = FileLines(Path);
  ASSERT_EQ(lines.size(), 21);
  const char* dryBulbs[] = {"25.00", "27.50", "30.00", "32.50", "35.00"};
  for (int i = 0; i < 20; ++i) {
    const QStringList fields = lines[i + 1].split(", ");
    ASSERT_EQ(fields.size(), 10);
    EXPECT_EQ(fields[2].toStdString(), Format("%0.2f", 2.0 + i / 5)) << i;  // velocity changes slowest
    EXPECT_EQ(fields[3], dryBulbs[i % 5]) << i;
  }
}

TEST_F(SweepTest, NothingTickedReadsTheModelAndLeavesAnEmptyFile) {
  ApplyTickRule(Vars, 0, false);
  {
    QFile old(QString::fromStdString(Path));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("an older run\r\n");
  }
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(RecordingCoil::TakeLog(), TLog{"get_CoilModel"});
  EXPECT_EQ(QFileInfo(QString::fromStdString(Path)).size(), 0);
  EXPECT_EQ(Progress.Statuses.size(), 0u);
}

TEST_F(SweepTest, StartAboveEndDescendsAndEqualBoundsRepeat) {
  struct {
    double Start, End;
    int32_t Count;
    std::vector<const char*> Velocities;
  } cases[] = {
      {5.0, 2.0, 4, {"5.00", "4.00", "3.00", "2.00"}},
      {3.0, 3.0, 3, {"3.00", "3.00", "3.00"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Start);
    Vars[0].Start = c.Start, Vars[0].End = c.End, Vars[0].Count = c.Count;
    EXPECT_EQ(Run(), c.Count);
    const QStringList lines = FileLines(Path);
    ASSERT_EQ(lines.size(), static_cast<qsizetype>(c.Velocities.size() + 1));
    for (size_t i = 0; i < c.Velocities.size(); ++i) EXPECT_EQ(lines[i + 1].split(", ")[2], c.Velocities[i]);
  }
}

// A count of 1 divides by zero in the step of its record, ticked or not: the
// run fails before anything is read, written or set.
TEST_F(SweepTest, CountOfOneFailsBeforeTouchingAnything) {
  Vars[3].Count = 1;
  EXPECT_THROW(Run(), EMathError);
  Vars[3].Start = Vars[3].End;
  EXPECT_THROW(Run(), EMathError);
  EXPECT_TRUE(RecordingCoil::TakeLog().empty());
  EXPECT_FALSE(QFile::exists(QString::fromStdString(Path)));
}

TEST_F(SweepTest, FlaggedPointIsStillWritten) {
  RecordingCoil::FlagCalcError(2);
  EXPECT_EQ(Run(), 4);
  EXPECT_EQ(CalcError, 1);
  EXPECT_EQ(FileLines(Path).size(), 5);
  EXPECT_EQ(RecordingCoil::TakeLog().back(), "Calculate");  // restored as usual
}

TEST_F(SweepTest, FailingCallEndsTheRunKeepingFinishedLines) {
  // Fails when the third point sets its velocity.
  RecordingCoil::FailOperation("put_AirVelocity", 5 + 2 * 17, E_FAIL);
  try {
    Run();
    FAIL() << "the run went on";
  } catch (const EOleSysError& e) {
    EXPECT_EQ(e.ErrorCode(), E_FAIL);
  }
  EXPECT_EQ(FileLines(Path).size(), 3);  // header and two points
  const TLog log = RecordingCoil::TakeLog();
  EXPECT_EQ(log.back(), "put_AirVelocity(4)");  // nothing restored after it
  EXPECT_EQ(std::count(log.begin(), log.end(), "put_DryBulbOn(27)"), 0);
  EXPECT_EQ(Progress.Position, 2);  // the bar keeps its place
}

TEST_F(SweepTest, ResultsFileThatCannotBeCreatedFailsBeforeAnyInputChanges) {
  std::vector<std::pair<const char*, std::string>> paths = {
      {"missing folder", (Dir.path() + "/no/such/folder/Results.csv").toStdString()},
      {"a directory", Dir.path().toStdString()},
  };
  const QString locked = Dir.path() + "/locked";
  QDir().mkdir(locked);
  ::chmod(locked.toLocal8Bit().constData(), 0555);
  if (::geteuid() != 0) paths.push_back({"no write permission", (locked + "/Results.csv").toStdString()});
  for (const auto& [name, path] : paths) {
    SCOPED_TRACE(name);
    Path = path;
    EXPECT_THROW(Run(), EInOutError);
    EXPECT_EQ(RecordingCoil::TakeLog(), TLog{"get_CoilModel"});  // the model box was refreshed first
  }
}

TEST_F(SweepTest, WriteFailureEndsTheRun) {
  Path = "/dev/full";  // every write fails: the disk is full
  EXPECT_THROW(Run(), EInOutError);
  const TLog log = RecordingCoil::TakeLog();
  EXPECT_EQ(log.back(), "get_Discharge");  // failed on the header, inputs untouched
}

TEST_F(SweepTest, EachFinishedLineIsOnDiskBeforeTheNextPoint) {
  std::vector<qsizetype> linesSeen;
  Progress.OnEvents = [&](int) { linesSeen.push_back(FileLines(Path).size()); };
  Run();
  EXPECT_EQ(linesSeen, (std::vector<qsizetype>{2, 3, 4, 5}));
}

TEST_F(SweepTest, DisconnectWhileProcessingEventsEndsTheRun) {
  Progress.OnEvents = [&](int point) {
    if (point == 2) Coil = nullptr;
  };
  EXPECT_THROW(Run(), EOleSysError);
  EXPECT_EQ(FileLines(Path).size(), 3);
  EXPECT_EQ(RecordingCoil::LiveObjects(), 0);
}

TEST_F(SweepTest, CommaSeparatorIsWrittenAndFieldsStillSplit) {
  Run(',');
  const QStringList lines = FileLines(Path);
  ASSERT_EQ(lines.size(), 5);
  EXPECT_EQ(lines[0], "ma, Qai, Vfi, DBi, WBi, tc, Qt, Qs, DBo, WBo");
  const QStringList fields = lines[1].split(", ");
  ASSERT_EQ(fields.size(), 10);
  EXPECT_EQ(fields[0], "1,200");
  EXPECT_EQ(fields[2], "2,00");
  EXPECT_EQ(fields[6], "20,400");
}
