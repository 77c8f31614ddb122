#include "Application.h"

#include "Com.h"
#include "Dialogs.h"

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) { CoInitialize(); }

TApplication::~TApplication() { CoUninitialize(); }

bool TApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    ShowException(std::current_exception());
    return true;
  }
}

void TApplication::ShowException(const std::exception& error) {
  Dialogs::MessageBox(QString::fromLatin1(error.what()), Dialogs::TMsgKind::mkError);
}

void TApplication::ShowException(std::exception_ptr error) {
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    ShowException(e);
  } catch (...) {
    Dialogs::MessageBox(QStringLiteral("Unexpected error."), Dialogs::TMsgKind::mkError);
  }
}
