#include "ResultsFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {
std::string Reason(int error) { return std::strerror(error); }
}  // namespace

TResultsFile::~TResultsFile() {
  if (FHandle >= 0) ::close(FHandle);
}

void TResultsFile::Create(const std::string& path) {
  if (FHandle >= 0) Close();
  int handle;
  do {
    handle = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  } while (handle < 0 && errno == EINTR);
  if (handle < 0) throw EInOutError("Cannot create file \"" + path + "\". " + Reason(errno));
  FHandle = handle;
  FPath = path;
}

void TResultsFile::WriteLine(const std::string& line) {
  if (FHandle < 0) throw EInOutError("File not open");
  const std::string text = line + "\r\n";
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(FHandle, text.data() + done, text.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw EInOutError("Cannot write file \"" + FPath + "\". " + Reason(errno));
    }
    done += static_cast<size_t>(n);
  }
}

void TResultsFile::Close() {
  if (FHandle < 0) return;
  const int handle = FHandle;
  FHandle = -1;
  if (::close(handle) != 0 && errno != EINTR)
    throw EInOutError("Cannot close file \"" + FPath + "\". " + Reason(errno));
}

std::string ResultsFilePath(const std::string& folder, const std::string& dataFileName) {
  std::string name = dataFileName;
  const size_t slash = name.find_last_of('/');
  const size_t dot = name.find_last_of('.');
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) name.erase(dot);
  return folder + name + ".csv";
}
