// Registers an in-process server for the current user, or with /u unregisters
// it: loads the library and calls its DllRegisterServer or DllUnregisterServer.
#include <dlfcn.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "Com.h"

int main(int argc, char** argv) {
  bool unregister = false;
  const char* library = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "/u") == 0 || std::strcmp(argv[i], "-u") == 0) unregister = true;
    else if (!library) library = argv[i];
    else library = nullptr, argc = 0;
  }
  if (!library) {
    std::fprintf(stderr, "usage: kregsvr [/u] <server library>\n");
    return 2;
  }
  char resolved[PATH_MAX];
  if (!::realpath(library, resolved)) {
    std::fprintf(stderr, "kregsvr: %s: %s\n", library,
                 SysErrorMessage(HResultFromWin32(ERROR_MOD_NOT_FOUND)).c_str());
    return 1;
  }
  void* handle = ::dlopen(resolved, RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    std::fprintf(stderr, "kregsvr: %s\n", ::dlerror());
    return 1;
  }
  const char* entry = unregister ? "DllUnregisterServer" : "DllRegisterServer";
  auto call = reinterpret_cast<HRESULT (*)()>(::dlsym(handle, entry));
  if (!call) {
    std::fprintf(stderr, "kregsvr: %s: %s\n", resolved,
                 SysErrorMessage(HResultFromWin32(ERROR_PROC_NOT_FOUND)).c_str());
    return 1;
  }
  const HRESULT hr = call();
  if (FAILED(hr)) {
    std::fprintf(stderr, "kregsvr: %s in %s failed: %s\n", entry, resolved, SysErrorMessage(hr).c_str());
    return 1;
  }
  std::printf("%s in %s succeeded.\n", entry, resolved);
  return 0;
}
