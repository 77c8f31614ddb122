#include "ComServer.h"

#include <dlfcn.h>

#include <climits>
#include <cstdlib>

#include "Registry.h"

std::string ModulePathOf(const void* addressInModule) {
  Dl_info info{};
  if (!::dladdr(addressInModule, &info) || !info.dli_fname) return {};
  char resolved[PATH_MAX];
  if (::realpath(info.dli_fname, resolved)) return resolved;
  return info.dli_fname;
}

HRESULT RegisterInprocServer(const CLSID& clsid, const std::string& description,
                             const std::string& libraryPath) {
  if (libraryPath.empty()) return SELFREG_E_CLASS;
  try {
    TRegistry reg(HKEY_CURRENT_USER);
    if (!reg.OpenKey(ClassKeyPath(clsid), true)) return SELFREG_E_CLASS;
    reg.WriteString("", description);
    if (!reg.OpenKey(ClassKeyPath(clsid) + "\\InprocServer32", true)) return SELFREG_E_CLASS;
    reg.WriteString("", libraryPath);
    reg.WriteString("ThreadingModel", "Apartment");
    reg.CloseKey();
    return S_OK;
  } catch (const Exception&) {
    return SELFREG_E_CLASS;
  }
}

HRESULT UnregisterInprocServer(const CLSID& clsid) {
  try {
    TRegistry reg(HKEY_CURRENT_USER);
    if (!reg.OpenKey("Software\\Classes\\CLSID", false)) return S_OK;
    reg.DeleteKey(GUIDToString(clsid));
    reg.CloseKey();
    return S_OK;
  } catch (const Exception&) {
    return SELFREG_E_CLASS;
  }
}
