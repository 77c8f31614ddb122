// The cost of a 20^4 sweep (160,000 points) with the bundled coil server, per
// point: (a) the server calls of the sweep alone, (b) the sweep engine writing
// the results file, (c) the main window's run with its progress bar and event
// processing (offscreen platform). Goal: (c)/(a) at most 1.5.
//
//   sweep_bench --benchmark_counters_tabular=true
#include <benchmark/benchmark.h>

#include <dlfcn.h>

#include <QDir>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>

#include <cstdlib>

#include "Application.h"
#include "CoKeltCoil.h"
#include "CtrlMain.h"
#include "Sweep.h"
#include "ui_CtrlMain.h"

namespace {

constexpr int PointsPerVariable = 20;
constexpr double Points = 160000.0;

TLoopVars FullTable() {
  TLoopVars vars = DefaultLoopVars();
  for (int i = 0; i < LoopVarCount; ++i) {
    vars[i].Count = PointsPerVariable;
    vars[i].Order = i + 1;
  }
  return vars;
}

void Report(benchmark::State& state) {
  state.counters["per_point"] =
      benchmark::Counter(Points, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// (a) The same server calls as the sweep makes, in the same order, without
// formatting, writing, progress or events.
void ServerCallsAlone(benchmark::State& state) {
  ComPtr<IKeltCoil> coil = CoKeltCoil::Create();
  const TLoopVars vars = FullTable();
  HRESULT (IKeltCoil::*puts[])(double) = {&IKeltCoil::put_AirVelocity, &IKeltCoil::put_DryBulbOn,
                                           &IKeltCoil::put_WetBulbOn, &IKeltCoil::put_Discharge};
  auto level = [&](auto& self, int depth) -> void {
    const TLoopVar& v = vars[depth];
    const double step = (v.End - v.Start) / (v.Count - 1);
    for (int i = 0; i < v.Count; ++i) {
      (coil.Get()->*puts[depth])(i * step + v.Start);
      TBStr model;
      coil->get_CoilModel(model.Put());
      coil->put_CoilModel(model.Get());
      double d;
      coil->get_AirVelocity(&d);
      coil->put_AirVelocity(d);
      if (depth + 1 < LoopVarCount) {
        self(self, depth + 1);
        continue;
      }
      int32_t e;
      coil->Calculate(&d);
      coil->get_CalcError(&e);
      double r[10];
      coil->get_ma(&r[0]), coil->get_Qai(&r[1]), coil->get_AirVelocity(&r[2]), coil->get_DryBulbOn(&r[3]);
      coil->get_WetBulbOn(&r[4]), coil->get_Discharge(&r[5]), coil->get_Qt(&r[6]), coil->get_Qs(&r[7]);
      coil->get_DBo(&r[8]), coil->get_WBo(&r[9]);
      benchmark::DoNotOptimize(r);
    }
  };
  for (auto _ : state) level(level, 0);
  Report(state);
}

struct TQuietProgress : TSweepProgress {
  void ShowCoilModel(const std::string&) override {}
  void BeginProgress(int32_t) override {}
  void ShowStatus(const std::string&) override {}
  void StepProgress() override {}
  void ProcessMessages() override {}
  void ResetProgress() override {}
};

// (b) The sweep engine writing the results file.
void EngineWritingTheFile(benchmark::State& state) {
  ComPtr<IKeltCoil> coil = CoKeltCoil::Create();
  TLoopVars vars = FullTable();
  TQuietProgress progress;
  QTemporaryDir dir;
  const std::string path = (dir.path() + "/Results.csv").toStdString();
  for (auto _ : state) {
    TSweep sweep(coil, vars, progress);
    if (sweep.Run({true, true, true, true}, path, '.') != 160000) state.SkipWithError("wrong point count");
  }
  Report(state);
}

// (c) The main window's "Loop": progress bar and event processing after each point.
void WindowRun(benchmark::State& state) {
  LoopVars = FullTable();
  TControlForm form;
  form.show();
  auto& ui = *form.Form();
  for (int i = 0; i < LoopVarCount; ++i) ui.LoopList->item(i)->setCheckState(Qt::Checked);
  LoopVars = FullTable();  // the ticks above renumbered the orders
  ui.DataFileNameEd->setText("BenchResults");
  form.ConnectBtnClick();
  for (auto _ : state) {
    form.LoopBtnClick();
    if (form.StatusText() != "Ready... (160000 Points)") state.SkipWithError(form.StatusText().toStdString().c_str());
  }
  QFile::remove(QString::fromStdString(form.ResultsPath()));
  Report(state);
}

}  // namespace

BENCHMARK(ServerCallsAlone)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(EngineWritingTheFile)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(WindowRun)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv) {
  QTemporaryDir configHome;
  ::setenv("XDG_CONFIG_HOME", configHome.path().toLocal8Bit().constData(), 1);
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  TApplication app(argc, argv);
  void* server = ::dlopen(KELT_COIL_SERVER, RTLD_NOW | RTLD_LOCAL);
  auto registerServer = server ? reinterpret_cast<HRESULT (*)()>(::dlsym(server, "DllRegisterServer")) : nullptr;
  if (!registerServer || FAILED(registerServer())) return 1;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
