#pragma once
// The results file of a sweep: created anew, written a line at a time with
// CRLF line ends. Each line goes to the operating system as soon as it is
// written (no buffering in the program), so a crash loses no finished line.
#include <string>

#include "SysUtils.h"

// A file that cannot be created, written or closed.
class EInOutError : public Exception {
public:
  using Exception::Exception;
};

class TResultsFile {
public:
  TResultsFile() = default;
  ~TResultsFile();  // closes without reporting; call Close() to hear of failures
  TResultsFile(const TResultsFile&) = delete;
  TResultsFile& operator=(const TResultsFile&) = delete;

  // Creates or truncates the file.
  void Create(const std::string& path);
  void WriteLine(const std::string& line);
  void Close();
  bool IsOpen() const { return FHandle >= 0; }

private:
  int FHandle = -1;
  std::string FPath;
};

// The path of the results file: the folder followed by the data file name
// with its extension replaced by ".csv" (an extension present is replaced,
// none is appended). A name with a folder part stays relative to the folder.
std::string ResultsFilePath(const std::string& folder, const std::string& dataFileName);
