// One start and close of a program window, for the placement tests that need
// real processes (renamed executables, several instances closing at once):
//   QzRegistryHelper <form name> <left> <top> <width> <height>
// restores the window's placement, prints its outer bounds, then moves it to
// the given bounds and saves its placement. The settings store is the one the
// environment names (XDG_CONFIG_HOME), as in the program.
#include <QApplication>
#include <QWidget>

#include <cstdio>

#include "QzRegistry.h"
#include "SysUtils.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 6) return 2;
  QWidget form;
  form.setObjectName(QString::fromLocal8Bit(argv[1]));
  form.move(275, 206);
  form.resize(500, 400);
  try {
    RestoreFormPlacement(&form, false, true);
    const QRect r = form.frameGeometry();
    std::printf("%d %d %d %d\n", r.x(), r.y(), r.width(), r.height());
    std::fflush(stdout);
    form.move(QString::fromLocal8Bit(argv[2]).toInt(), QString::fromLocal8Bit(argv[3]).toInt());
    form.resize(QString::fromLocal8Bit(argv[4]).toInt(), QString::fromLocal8Bit(argv[5]).toInt());
    SaveFormPlacement(&form);
  } catch (const Exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
