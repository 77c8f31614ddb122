#include "Com.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include <cctype>
#include <charconv>
#include <type_traits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>

#include "Registry.h"

// ---- result codes -----------------------------------------------------------
std::string SysErrorMessage(HRESULT hr) {
  switch (hr) {
    case S_OK: return "The operation completed successfully.";
    case E_NOTIMPL: return "Not implemented";
    case E_NOINTERFACE: return "Interface not supported";
    case E_POINTER: return "Invalid pointer";
    case E_ABORT: return "Operation aborted";
    case E_FAIL: return "Unspecified error";
    case E_UNEXPECTED: return "Catastrophic failure";
    case E_OUTOFMEMORY: return "Not enough memory to complete this operation.";
    case E_INVALIDARG: return "The parameter is incorrect.";
    case CLASS_E_NOAGGREGATION: return "Class does not support aggregation";
    case CLASS_E_CLASSNOTAVAILABLE: return "Class factory cannot supply requested class";
    case REGDB_E_CLASSNOTREG: return "Class not registered";
    case CO_E_NOTINITIALIZED: return "CoInitialize has not been called.";
    case CO_E_SERVER_EXEC_FAILURE: return "Server execution failed";
    case SELFREG_E_CLASS: return "Cannot register or unregister the class";
    case HResultFromWin32(ERROR_FILE_NOT_FOUND): return "The system cannot find the file specified.";
    case HResultFromWin32(ERROR_MOD_NOT_FOUND): return "The specified module could not be found.";
    case HResultFromWin32(ERROR_PROC_NOT_FOUND): return "The specified procedure could not be found.";
    case HResultFromWin32(ERROR_BAD_EXE_FORMAT): return "The file is not a valid shared library.";
    default: break;
  }
  char text[48];
  std::snprintf(text, sizeof text, "Unexpected error (code %08X)", static_cast<uint32_t>(hr));
  return text;
}

// ---- identifiers ------------------------------------------------------------
std::string GUIDToString(const GUID& g) {
  char text[39];
  std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g.Data1,
                g.Data2, g.Data3, g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4],
                g.Data4[5], g.Data4[6], g.Data4[7]);
  return text;
}

std::optional<GUID> StringToGUID(const std::string& text) {
  // {8-4-4-4-12}
  if (text.size() != 38 || text.front() != '{' || text.back() != '}') return std::nullopt;
  static constexpr int dashes[] = {9, 14, 19, 24};
  for (int d : dashes)
    if (text[d] != '-') return std::nullopt;
  auto hex = [&](size_t pos, size_t len, auto& out) {
    const char* first = text.data() + pos;
    for (size_t i = 0; i < len; ++i)
      if (!std::isxdigit(static_cast<unsigned char>(first[i]))) return false;
    uint64_t value = 0;
    auto [end, ec] = std::from_chars(first, first + len, value, 16);
    if (ec != std::errc() || end != first + len) return false;
    out = static_cast<std::remove_reference_t<decltype(out)>>(value);
    return true;
  };
  GUID g{};
  if (!hex(1, 8, g.Data1) || !hex(10, 4, g.Data2) || !hex(15, 4, g.Data3)) return std::nullopt;
  static constexpr size_t bytePos[] = {20, 22, 25, 27, 29, 31, 33, 35};
  for (int i = 0; i < 8; ++i)
    if (!hex(bytePos[i], 2, g.Data4[i])) return std::nullopt;
  return g;
}

// ---- counted strings --------------------------------------------------------
BSTR SysAllocStringLen(const OLECHAR* text, uint32_t length) {
  void* block = std::malloc(sizeof(uint32_t) + (static_cast<size_t>(length) + 1) * sizeof(OLECHAR));
  if (!block) return nullptr;
  auto* prefix = static_cast<uint32_t*>(block);
  *prefix = length * static_cast<uint32_t>(sizeof(OLECHAR));
  auto* chars = reinterpret_cast<OLECHAR*>(prefix + 1);
  if (text) std::memcpy(chars, text, length * sizeof(OLECHAR));
  else std::memset(chars, 0, length * sizeof(OLECHAR));
  chars[length] = 0;
  return chars;
}

BSTR SysAllocString(const OLECHAR* text) {
  if (!text) return nullptr;
  uint32_t length = 0;
  while (text[length]) ++length;
  return SysAllocStringLen(text, length);
}

void SysFreeString(BSTR text) {
  if (text) std::free(reinterpret_cast<uint32_t*>(text) - 1);
}

uint32_t SysStringLen(BSTR text) {
  return text ? *(reinterpret_cast<uint32_t*>(text) - 1) / sizeof(OLECHAR) : 0;
}

namespace {
// Windows-1252 0x80..0x9F; 0 marks the five unassigned bytes.
constexpr char16_t Cp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
}  // namespace

BSTR BStrFromString(const std::string& text) {
  std::u16string wide;
  wide.reserve(text.size());
  for (unsigned char c : text) {
    char16_t w = c;
    if (c >= 0x80 && c <= 0x9F && Cp1252High[c - 0x80]) w = Cp1252High[c - 0x80];
    wide.push_back(w);
  }
  return SysAllocStringLen(wide.data(), static_cast<uint32_t>(wide.size()));
}

std::string StringFromBStr(BSTR text) {
  std::string narrow;
  const uint32_t length = SysStringLen(text);
  narrow.reserve(length);
  for (uint32_t i = 0; i < length; ++i) {
    const char16_t w = text[i];
    char c = '?';
    if (w < 0x80 || (w >= 0xA0 && w <= 0xFF)) {
      c = static_cast<char>(w);
    } else {
      for (int k = 0; k < 32; ++k)
        if (Cp1252High[k] == w) c = static_cast<char>(0x80 + k);
    }
    narrow.push_back(c);
  }
  return narrow;
}

// ---- apartments and creation ------------------------------------------------
namespace {

thread_local int ApartmentInits = 0;
thread_local std::string LastErrorDetail;

using TDllGetClassObject = HRESULT (*)(const CLSID&, const IID&, void**);
using TDllCanUnloadNow = HRESULT (*)();

struct TLoadedModule {
  void* Handle = nullptr;
  TDllGetClassObject GetClassObject = nullptr;
  TDllCanUnloadNow CanUnloadNow = nullptr;
};

std::mutex ModulesLock;
std::map<std::string, TLoadedModule>& Modules() {
  static std::map<std::string, TLoadedModule> modules;
  return modules;
}

HRESULT Fail(HRESULT hr, std::string detail) {
  LastErrorDetail = std::move(detail);
  return hr;
}

HRESULT LoadInprocServer(const std::string& path, TLoadedModule& module) {
  std::lock_guard guard(ModulesLock);
  auto found = Modules().find(path);
  if (found != Modules().end()) {
    module = found->second;
    return S_OK;
  }
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
    return Fail(HResultFromWin32(ERROR_MOD_NOT_FOUND), path + ": no such file");
  void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    const char* why = ::dlerror();
    return Fail(HResultFromWin32(ERROR_BAD_EXE_FORMAT), why ? why : path);
  }
  auto getClassObject = reinterpret_cast<TDllGetClassObject>(::dlsym(handle, "DllGetClassObject"));
  if (!getClassObject) {
    ::dlclose(handle);
    return Fail(HResultFromWin32(ERROR_PROC_NOT_FOUND), path + ": no DllGetClassObject");
  }
  module.Handle = handle;
  module.GetClassObject = getClassObject;
  module.CanUnloadNow = reinterpret_cast<TDllCanUnloadNow>(::dlsym(handle, "DllCanUnloadNow"));
  Modules()[path] = module;
  return S_OK;
}

// Registered in-process server path, or empty.
std::string InprocServerPath(const CLSID& clsid) {
  try {
    TRegistry reg(HKEY_CURRENT_USER);
    if (!reg.OpenKeyReadOnly(ClassKeyPath(clsid) + "\\InprocServer32")) return {};
    if (reg.GetDataType("") != TRegDataType::rdString) return {};
    return reg.ReadString("");
  } catch (const Exception&) {
    return {};
  }
}

// Local (out-of-process) servers get their place here: a class registered only
// with a LocalServer32 key is recognised, but starting one is not yet supported.
HRESULT LocalServerClassObject(const CLSID& clsid, const IID&, void**) {
  TRegistry reg(HKEY_CURRENT_USER);
  if (!reg.OpenKeyReadOnly(ClassKeyPath(clsid) + "\\LocalServer32"))
    return Fail(REGDB_E_CLASSNOTREG, GUIDToString(clsid));
  return Fail(CO_E_SERVER_EXEC_FAILURE, "local servers are not supported on this platform yet");
}

}  // namespace

std::string ClassKeyPath(const CLSID& clsid) {
  return "Software\\Classes\\CLSID\\" + GUIDToString(clsid);
}

HRESULT CoInitialize(void*) {
  return ApartmentInits++ == 0 ? S_OK : S_FALSE;
}

void CoUninitialize() {
  if (ApartmentInits > 0) --ApartmentInits;
}

std::string CoLastErrorDetail() { return LastErrorDetail; }

HRESULT CoGetClassObject(const CLSID& clsid, uint32_t clsContext, const IID& iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  LastErrorDetail.clear();
  if (ApartmentInits == 0) return CO_E_NOTINITIALIZED;
  if (clsContext & CLSCTX_INPROC_SERVER) {
    const std::string path = InprocServerPath(clsid);
    if (!path.empty()) {
      TLoadedModule module;
      HRESULT hr = LoadInprocServer(path, module);
      if (FAILED(hr)) return hr;
      hr = module.GetClassObject(clsid, iid, object);
      // A server that claims success without an object is not trusted.
      if (SUCCEEDED(hr) && !*object) hr = Fail(E_NOINTERFACE, path + ": DllGetClassObject gave no object");
      return hr;
    }
  }
  if (clsContext & CLSCTX_LOCAL_SERVER) return LocalServerClassObject(clsid, iid, object);
  return Fail(REGDB_E_CLASSNOTREG, GUIDToString(clsid));
}

HRESULT CoCreateInstance(const CLSID& clsid, IUnknown* outer, uint32_t clsContext, const IID& iid,
                         void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  ComPtr<IClassFactory> factory;
  HRESULT hr = CoGetClassObject(clsid, clsContext, IClassFactory::Iid, factory.PutVoid());
  if (FAILED(hr)) return hr;
  hr = factory->CreateInstance(outer, iid, object);
  if (SUCCEEDED(hr) && !*object) hr = E_NOINTERFACE;
  return hr;
}

void CoFreeUnusedLibraries() {
  std::lock_guard guard(ModulesLock);
  for (auto it = Modules().begin(); it != Modules().end();) {
    if (it->second.CanUnloadNow && it->second.CanUnloadNow() == S_OK) {
      ::dlclose(it->second.Handle);
      it = Modules().erase(it);
    } else {
      ++it;
    }
  }
}
