#pragma once
// Our small component runtime: result codes, class and interface identifiers,
// counted strings, the base interfaces, a releasing smart pointer, apartments,
// and creation of registered classes from in-process servers.
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "SysUtils.h"

// ---- result codes -----------------------------------------------------------
using HRESULT = int32_t;

constexpr HRESULT MakeHResult(uint32_t code) { return static_cast<HRESULT>(code); }
constexpr HRESULT HResultFromWin32(uint32_t err) {
  return err == 0 ? 0 : MakeHResult((err & 0xFFFFu) | 0x80070000u);
}

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = MakeHResult(0x80004001u);
constexpr HRESULT E_NOINTERFACE = MakeHResult(0x80004002u);
constexpr HRESULT E_POINTER = MakeHResult(0x80004003u);
constexpr HRESULT E_ABORT = MakeHResult(0x80004004u);
constexpr HRESULT E_FAIL = MakeHResult(0x80004005u);
constexpr HRESULT E_UNEXPECTED = MakeHResult(0x8000FFFFu);
constexpr HRESULT E_OUTOFMEMORY = MakeHResult(0x8007000Eu);
constexpr HRESULT E_INVALIDARG = MakeHResult(0x80070057u);
constexpr HRESULT CLASS_E_NOAGGREGATION = MakeHResult(0x80040110u);
constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = MakeHResult(0x80040111u);
constexpr HRESULT REGDB_E_CLASSNOTREG = MakeHResult(0x80040154u);
constexpr HRESULT CO_E_NOTINITIALIZED = MakeHResult(0x800401F0u);
constexpr HRESULT CO_E_SERVER_EXEC_FAILURE = MakeHResult(0x80080005u);
constexpr HRESULT SELFREG_E_CLASS = MakeHResult(0x80040201u);
constexpr uint32_t ERROR_FILE_NOT_FOUND = 2;
constexpr uint32_t ERROR_MOD_NOT_FOUND = 126;
constexpr uint32_t ERROR_PROC_NOT_FOUND = 127;
constexpr uint32_t ERROR_BAD_EXE_FORMAT = 193;

constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }

// The system's message for a result code ("Class not registered", ...).
std::string SysErrorMessage(HRESULT hr);

// A failing result code turned into an exception.
class EOleSysError : public Exception {
public:
  EOleSysError(std::string message, HRESULT errorCode)
      : Exception(std::move(message)), FErrorCode(errorCode) {}
  HRESULT ErrorCode() const noexcept { return FErrorCode; }

private:
  HRESULT FErrorCode;
};

// Raises EOleSysError with the system's message when hr is a failure.
inline HRESULT OleCheck(HRESULT hr) {
  if (FAILED(hr)) throw EOleSysError(SysErrorMessage(hr), hr);
  return hr;
}

// ---- identifiers ------------------------------------------------------------
struct GUID {
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];
  friend constexpr bool operator==(const GUID&, const GUID&) = default;
};
using IID = GUID;
using CLSID = GUID;

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper-case hexadecimal.
std::string GUIDToString(const GUID& guid);
// Accepts the same form (either case, braces required); nullopt otherwise.
std::optional<GUID> StringToGUID(const std::string& text);

// ---- counted strings --------------------------------------------------------
using OLECHAR = char16_t;
using BSTR = OLECHAR*;

// Length-prefixed, NUL-terminated UTF-16 strings; a null BSTR is the empty string.
BSTR SysAllocString(const OLECHAR* text);
BSTR SysAllocStringLen(const OLECHAR* text, uint32_t length);
void SysFreeString(BSTR text);
uint32_t SysStringLen(BSTR text);

// Conversions between the program's single-byte Windows-1252 text and BSTRs.
BSTR BStrFromString(const std::string& text);
std::string StringFromBStr(BSTR text);

// Owns one BSTR: frees it on replacement and destruction.
class TBStr {
public:
  TBStr() = default;
  explicit TBStr(const std::string& text) : FText(BStrFromString(text)) {}
  ~TBStr() { SysFreeString(FText); }
  TBStr(const TBStr&) = delete;
  TBStr& operator=(const TBStr&) = delete;
  BSTR Get() const { return FText; }
  // For an out argument: frees the current text first.
  BSTR* Put() {
    SysFreeString(FText);
    FText = nullptr;
    return &FText;
  }
  std::string ToString() const { return StringFromBStr(FText); }

private:
  BSTR FText = nullptr;
};

// ---- base interfaces --------------------------------------------------------
struct IUnknown {
  static constexpr IID Iid{0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
  virtual HRESULT QueryInterface(const IID& iid, void** object) = 0;
  virtual uint32_t AddRef() = 0;
  virtual uint32_t Release() = 0;

protected:
  ~IUnknown() = default;
};

// Late binding is not used by this program's clients; the slots are there so
// that dual interfaces keep their place after them.
struct IDispatch : IUnknown {
  static constexpr IID Iid{0x00020400, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
  virtual HRESULT GetTypeInfoCount(uint32_t* count) = 0;
  virtual HRESULT GetTypeInfo(uint32_t index, uint32_t lcid, void** typeInfo) = 0;
  virtual HRESULT GetIDsOfNames(const IID& iid, OLECHAR** names, uint32_t count, uint32_t lcid,
                                int32_t* dispIds) = 0;
  virtual HRESULT Invoke(int32_t dispId, const IID& iid, uint32_t lcid, uint16_t flags, void* params,
                         void* result, void* excepInfo, uint32_t* argErr) = 0;

protected:
  ~IDispatch() = default;
};

struct IClassFactory : IUnknown {
  static constexpr IID Iid{0x00000001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
  virtual HRESULT CreateInstance(IUnknown* outer, const IID& iid, void** object) = 0;
  virtual HRESULT LockServer(int32_t lock) = 0;

protected:
  ~IClassFactory() = default;
};

// ---- smart pointer ----------------------------------------------------------
// Holds one reference; releases it on replacement and destruction.
template <class T>
class ComPtr {
public:
  ComPtr() = default;
  ComPtr(std::nullptr_t) {}
  ComPtr(const ComPtr& other) : FPtr(other.FPtr) {
    if (FPtr) FPtr->AddRef();
  }
  ComPtr(ComPtr&& other) noexcept : FPtr(std::exchange(other.FPtr, nullptr)) {}
  ~ComPtr() { Reset(); }
  ComPtr& operator=(const ComPtr& other) {
    if (this != &other) {
      T* old = std::exchange(FPtr, other.FPtr);
      if (FPtr) FPtr->AddRef();
      if (old) old->Release();
    }
    return *this;
  }
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) {
      T* old = std::exchange(FPtr, std::exchange(other.FPtr, nullptr));
      if (old) old->Release();
    }
    return *this;
  }
  ComPtr& operator=(std::nullptr_t) {
    Reset();
    return *this;
  }

  // Takes over a reference that the caller already owns.
  static ComPtr Attach(T* ptr) {
    ComPtr p;
    p.FPtr = ptr;
    return p;
  }
  T* Detach() { return std::exchange(FPtr, nullptr); }
  void Reset() {
    if (T* old = std::exchange(FPtr, nullptr)) old->Release();
  }
  T* Get() const { return FPtr; }
  T* operator->() const { return FPtr; }
  explicit operator bool() const { return FPtr != nullptr; }
  // For an out argument: releases the current reference first.
  T** Put() {
    Reset();
    return &FPtr;
  }
  void** PutVoid() { return reinterpret_cast<void**>(Put()); }

  template <class U>
  HRESULT As(ComPtr<U>& target) const {
    if (!FPtr) return E_POINTER;
    return FPtr->QueryInterface(U::Iid, target.PutVoid());
  }

private:
  T* FPtr = nullptr;
};

// ---- apartments and creation ------------------------------------------------
// Class contexts for CoCreateInstance.
constexpr uint32_t CLSCTX_INPROC_SERVER = 0x1;
constexpr uint32_t CLSCTX_LOCAL_SERVER = 0x4;
constexpr uint32_t CLSCTX_SERVER = CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER;

// Puts the calling thread into a single-threaded apartment; S_FALSE when it
// already is one. Every successful call is matched by CoUninitialize.
HRESULT CoInitialize(void* reserved = nullptr);
void CoUninitialize();

// Creates an object of a registered class and queries it for iid. The class is
// looked up per user under Software\Classes\CLSID\{clsid}; an in-process server
// is the shared library named by the default value of its InprocServer32 key.
HRESULT CoCreateInstance(const CLSID& clsid, IUnknown* outer, uint32_t clsContext, const IID& iid,
                         void** object);
HRESULT CoGetClassObject(const CLSID& clsid, uint32_t clsContext, const IID& iid, void** object);

// A longer account of the last failure of CoCreateInstance on this thread
// (the loader's own words), or empty.
std::string CoLastErrorDetail();

// Unloads in-process servers that report they can be unloaded.
void CoFreeUnusedLibraries();

// The registry key of a class: "Software\Classes\CLSID\{clsid}".
std::string ClassKeyPath(const CLSID& clsid);
