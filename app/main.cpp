// KeltControl: drives the coil calculation server through a parametric sweep.
#include "Application.h"
#include "CtrlMain.h"

int main(int argc, char** argv) {
  TApplication application(argc, argv);  // also enters the thread's apartment
  TApplication::setApplicationName(QStringLiteral("KeltControl"));
  TControlForm controlForm;  // created first: the main form
  controlForm.show();
  return application.exec();
}
