#pragma once
// Helpers for writing in-process servers: a reference-counted object base, a
// class factory, the module's lock count and per-user class registration.
#include <atomic>
#include <new>
#include <string>

#include "Com.h"

// Counts the live objects and locks of one server module, for DllCanUnloadNow.
class TModuleLocks {
public:
  static void Lock() { Count().fetch_add(1); }
  static void Unlock() { Count().fetch_sub(1); }
  static bool CanUnload() { return Count().load() == 0; }

private:
  static std::atomic<long>& Count() {
    static std::atomic<long> count{0};
    return count;
  }
};

// Implements IUnknown for an object that offers TInterface and the interfaces
// it derives from (TBases, e.g. IDispatch), and counts the object among the
// module's locks while it lives. Objects are created with one reference.
template <class TInterface, class... TBases>
class TComObject : public TInterface {
public:
  TComObject(const TComObject&) = delete;
  TComObject& operator=(const TComObject&) = delete;

  HRESULT QueryInterface(const IID& iid, void** object) override {
    if (!object) return E_POINTER;
    if (iid == IUnknown::Iid || iid == TInterface::Iid || ((iid == TBases::Iid) || ...)) {
      *object = static_cast<TInterface*>(this);
      this->AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  uint32_t AddRef() override { return ++FRefs; }
  uint32_t Release() override {
    const uint32_t refs = --FRefs;
    if (refs == 0) delete this;
    return refs;
  }

protected:
  TComObject() { TModuleLocks::Lock(); }
  virtual ~TComObject() { TModuleLocks::Unlock(); }

private:
  std::atomic<uint32_t> FRefs{1};
};

// A class factory that makes TObject (default-constructible, created with one
// reference that QueryInterface then passes on or drops).
template <class TObject>
class TClassFactory final : public TComObject<IClassFactory> {
public:
  HRESULT CreateInstance(IUnknown* outer, const IID& iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    TObject* instance = new (std::nothrow) TObject();
    if (!instance) return E_OUTOFMEMORY;
    const HRESULT hr = instance->QueryInterface(iid, object);
    instance->Release();
    return hr;
  }
  HRESULT LockServer(int32_t lock) override {
    if (lock) TModuleLocks::Lock();
    else TModuleLocks::Unlock();
    return S_OK;
  }
};

// The work of DllGetClassObject for a class that the module serves (served
// true) with objects of TObject; CLASS_E_CLASSNOTAVAILABLE for any other class.
template <class TObject>
HRESULT ServeClassObject(bool served, const IID& iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (!served) return CLASS_E_CLASSNOTAVAILABLE;
  auto* factory = new (std::nothrow) TClassFactory<TObject>();
  if (!factory) return E_OUTOFMEMORY;
  const HRESULT hr = factory->QueryInterface(iid, object);
  factory->Release();
  return hr;
}

// The full path of the shared library that holds the given address.
std::string ModulePathOf(const void* addressInModule);

// Writes HKEY_CURRENT_USER\Software\Classes\CLSID\{clsid} with its description
// and an InprocServer32 key whose default value is the library's path.
HRESULT RegisterInprocServer(const CLSID& clsid, const std::string& description,
                             const std::string& libraryPath);
// Removes that key with everything under it.
HRESULT UnregisterInprocServer(const CLSID& clsid);
