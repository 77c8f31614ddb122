#pragma once
// The program's error types: every failure is an exception derived from
// Exception, which carries the text that the default error report shows.
#include <exception>
#include <string>
#include <utility>

class Exception : public std::exception {
public:
  explicit Exception(std::string message) : FMessage(std::move(message)) {}
  const std::string& Message() const noexcept { return FMessage; }
  const char* what() const noexcept override { return FMessage.c_str(); }

private:
  std::string FMessage;
};

// A text that is not a number, or a value that does not fit its format.
class EConvertError : public Exception {
public:
  using Exception::Exception;
};
