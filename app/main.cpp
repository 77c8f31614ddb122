// KeltControl: drives the coil calculation server through a parametric sweep.
#include "Application.h"
#include "CtrlMain.h"
#include "QzIniPad.h"
#include "QzRegistry.h"

int main(int argc, char** argv) {
  LoadCompanyInfo();                     // before any window
  TApplication application(argc, argv);  // also enters the thread's apartment
  TApplication::setApplicationName(QStringLiteral("KeltControl"));
  TControlForm controlForm;  // created first: the main form
  TIniPadForm iniPadForm;    // created hidden right after it
  controlForm.SetIniPad(&iniPadForm);
  controlForm.show();
  return application.exec();
}
