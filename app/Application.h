#pragma once
#include <QApplication>

#include <exception>

// The application object: owns the thread's apartment for its lifetime and
// turns an exception that escapes an event handler into the default error
// report (a message box with the error's text), after which the program goes on.
class TApplication : public QApplication {
public:
  TApplication(int& argc, char** argv);
  ~TApplication() override;

  bool notify(QObject* receiver, QEvent* event) override;

  // The default error report.
  static void ShowException(const std::exception& error);
  static void ShowException(std::exception_ptr error);
};
