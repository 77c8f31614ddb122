// Opening the results file of a 20^4 sweep (160,000 points, about 11 MB) in
// the editor window, against reading the same file into a bare editor control
// (through its own read(), and as raw bytes handed over unconverted).
// Goal: at most 1.5 times the bare read, and under a second.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <Qsci/qsciscintilla.h>

#include <cstdlib>

#include "QzIniPad.h"

namespace {

QString ResultsPath;

void WriteResultsFile(const QString& path, int points) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly)) std::abort();
  QByteArray text = "ma, Qai, Vfi, DBi, WBi, tc, Qt, Qs, DBo, WBo\n";
  text.reserve(points * 72);
  for (int i = 0; i < points; ++i)
    text += "0.812, 0.702, 2.00, 25.00, 16.00, 46.00, " + QByteArray::number(12 + i % 1000 * 0.001, 'f', 3) +
            ", 9.876, 14.20, 13.10\n";
  file.write(text);
}

void BareEditorRead(benchmark::State& state) {
  for (auto _ : state) {
    QsciScintilla editor;
    editor.setUtf8(true);
    QFile file(ResultsPath);
    if (!file.open(QIODevice::ReadOnly) || !editor.read(&file)) state.SkipWithError("read failed");
    state.counters["lines"] = static_cast<double>(editor.lines());
  }
  state.SetBytesProcessed(state.iterations() * QFile(ResultsPath).size());
}

// The fastest a bare editor takes the bytes: one read, handed over unconverted.
void BareEditorSetText(benchmark::State& state) {
  for (auto _ : state) {
    QsciScintilla editor;
    editor.setUtf8(true);
    QFile file(ResultsPath);
    if (!file.open(QIODevice::ReadOnly)) state.SkipWithError("open failed");
    const QByteArray bytes = file.readAll();
    editor.SendScintilla(QsciScintillaBase::SCI_SETTEXT, bytes.constData());
    state.counters["lines"] = static_cast<double>(editor.lines());
  }
  state.SetBytesProcessed(state.iterations() * QFile(ResultsPath).size());
}

// The window is created once, as in the program; each load replaces the text.
void IniPadLoadFile(benchmark::State& state) {
  TIniPadForm form(TIniPadStartup{QCoreApplication::applicationFilePath(), {}});
  for (auto _ : state) {
    form.FileName = ResultsPath;
    form.LoadFile();
    state.counters["lines"] = static_cast<double>(form.SynEdit1()->lines());
  }
  state.SetBytesProcessed(state.iterations() * QFile(ResultsPath).size());
}

// The same with the window's creation in each round.
void IniPadCreateAndLoad(benchmark::State& state) {
  for (auto _ : state) {
    TIniPadForm form(TIniPadStartup{QCoreApplication::applicationFilePath(), {}});
    form.FileName = ResultsPath;
    form.LoadFile();
    state.counters["lines"] = static_cast<double>(form.SynEdit1()->lines());
  }
}

BENCHMARK(BareEditorRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BareEditorSetText)->Unit(benchmark::kMillisecond);
BENCHMARK(IniPadLoadFile)->Unit(benchmark::kMillisecond);
BENCHMARK(IniPadCreateAndLoad)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QTemporaryDir configHome;  // placement reads and writes stay out of the user's store
  ::setenv("XDG_CONFIG_HOME", configHome.path().toLocal8Bit().constData(), 1);
  QApplication app(argc, argv);
  QTemporaryDir dir;
  ResultsPath = dir.filePath("Results.csv");
  WriteResultsFile(ResultsPath, 20 * 20 * 20 * 20);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
