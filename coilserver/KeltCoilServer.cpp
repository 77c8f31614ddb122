// The in-process server module: one class, TKeltCoil, behind IKeltCoil, and the
// four entry points the component runtime and kregsvr look up by name.
#include <atomic>
#include <cmath>
#include <memory>
#include <new>

#include "CoilModel.h"
#include "ComServer.h"
#include "IKeltCoil.h"

#define KELT_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

class TKeltCoil final : public TComObject<IKeltCoil, IDispatch> {
public:
  TKeltCoil() : FCoil(&CoilModel::DefaultCoil()) {
    // Results describe the default inputs until the first Calculate.
    FResults = CoilModel::Calculate(*FCoil, FInputs);
  }

  // IDispatch: clients bind to the interface directly.
  HRESULT GetTypeInfoCount(uint32_t* count) override {
    if (count) *count = 0;
    return E_NOTIMPL;
  }
  HRESULT GetTypeInfo(uint32_t, uint32_t, void** typeInfo) override {
    if (typeInfo) *typeInfo = nullptr;
    return E_NOTIMPL;
  }
  HRESULT GetIDsOfNames(const IID&, OLECHAR**, uint32_t, uint32_t, int32_t*) override { return E_NOTIMPL; }
  HRESULT Invoke(int32_t, const IID&, uint32_t, uint16_t, void*, void*, void*, uint32_t*) override {
    return E_NOTIMPL;
  }

  // IKeltCoil
  HRESULT get_CoilModel(BSTR* value) override {
    if (!value) return E_POINTER;
    *value = BStrFromString(FCoil->Model);
    return *value ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT put_CoilModel(BSTR value) override {
    const CoilModel::TCoilGeometry* coil = CoilModel::FindCoil(StringFromBStr(value));
    if (!coil) return E_INVALIDARG;
    FCoil = coil;
    return S_OK;
  }
  HRESULT get_DryBulbOn(double* value) override { return Get(value, FInputs.DryBulbOn); }
  HRESULT put_DryBulbOn(double value) override { return Put(FInputs.DryBulbOn, value); }
  HRESULT get_Qai(double* value) override { return Get(value, CoilModel::AirVolume(*FCoil, FInputs.AirVelocity)); }
  HRESULT put_Qai(double value) override {
    return Put(FInputs.AirVelocity, CoilModel::VelocityFromAirVolume(*FCoil, value));
  }
  HRESULT get_AirVelocity(double* value) override { return Get(value, FInputs.AirVelocity); }
  HRESULT put_AirVelocity(double value) override { return Put(FInputs.AirVelocity, value); }
  HRESULT get_Discharge(double* value) override { return Get(value, FInputs.Discharge); }
  HRESULT put_Discharge(double value) override { return Put(FInputs.Discharge, value); }
  HRESULT get_ma(double* value) override { return Get(value, CoilModel::MassFlow(*FCoil, FInputs)); }
  HRESULT put_ma(double value) override {
    return Put(FInputs.AirVelocity, CoilModel::VelocityFromMassFlow(*FCoil, FInputs, value));
  }
  // The output is the total cooling, for clients that want just that.
  HRESULT Calculate(double* result) override {
    try {
      FResults = CoilModel::Calculate(*FCoil, FInputs);
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    }
    if (result) *result = FResults.Qt;
    return S_OK;
  }
  HRESULT get_Qt(double* value) override { return Get(value, FResults.Qt); }
  HRESULT get_Qs(double* value) override { return Get(value, FResults.Qs); }
  HRESULT get_DBo(double* value) override { return Get(value, FResults.DBo); }
  HRESULT get_WBo(double* value) override { return Get(value, FResults.WBo); }
  HRESULT get_CalcError(int32_t* value) override {
    if (!value) return E_POINTER;
    *value = FResults.Error ? 1 : 0;
    return S_OK;
  }
  HRESULT get_WetBulbOn(double* value) override { return Get(value, FInputs.WetBulbOn); }
  HRESULT put_WetBulbOn(double value) override { return Put(FInputs.WetBulbOn, value); }

private:

  static HRESULT Get(double* value, double current) {
    if (!value) return E_POINTER;
    *value = current;
    return S_OK;
  }
  // A value that is no number would poison every later result: refused, and the
  // input keeps its value.
  static HRESULT Put(double& input, double value) {
    if (!std::isfinite(value)) return E_INVALIDARG;
    input = value;
    return S_OK;
  }

  const CoilModel::TCoilGeometry* FCoil;
  CoilModel::TCoilInputs FInputs;
  CoilModel::TCoilResults FResults;
};

}  // namespace

KELT_EXPORT HRESULT DllGetClassObject(const CLSID& clsid, const IID& iid, void** object) {
  return ServeClassObject<TKeltCoil>(clsid == CLASS_KeltCoil, iid, object);
}

KELT_EXPORT HRESULT DllCanUnloadNow() { return TModuleLocks::CanUnload() ? S_OK : S_FALSE; }

KELT_EXPORT HRESULT DllRegisterServer() {
  return RegisterInprocServer(CLASS_KeltCoil, "KeltCoil coil calculation server",
                              ModulePathOf(reinterpret_cast<const void*>(&DllRegisterServer)));
}

KELT_EXPORT HRESULT DllUnregisterServer() { return UnregisterInprocServer(CLASS_KeltCoil); }
