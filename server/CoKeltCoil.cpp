#include "CoKeltCoil.h"

ComPtr<IKeltCoil> CoKeltCoil::Create() { return Create(CLASS_KeltCoil); }

ComPtr<IKeltCoil> CoKeltCoil::Create(const CLSID& clsid) {
  ComPtr<IUnknown> unknown;
  const HRESULT hr =
      CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IUnknown::Iid, unknown.PutVoid());
  if (FAILED(hr)) {
    std::string message = SysErrorMessage(hr) + ", ClassID: " + GUIDToString(clsid);
    const std::string detail = CoLastErrorDetail();
    if (!detail.empty() && detail != GUIDToString(clsid)) message += "\n(" + detail + ")";
    throw EOleSysError(message, hr);
  }
  ComPtr<IKeltCoil> coil;
  OleCheck(unknown.As(coil));
  return coil;
}
