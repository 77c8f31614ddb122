#pragma once
// The controller's view of the coil calculation server: one dual interface with
// twenty operations after IDispatch's. Every operation returns a result code;
// an output goes through a pointer in the last argument. This header is the
// contract between client and server, like an imported type library.
#include "Com.h"
#include "KeltCoilIds.h"

struct IKeltCoil : IDispatch {
  static constexpr IID Iid = IID_IKeltCoil;

  virtual HRESULT get_CoilModel(BSTR* value) = 0;    // 1
  virtual HRESULT put_CoilModel(BSTR value) = 0;     // 2
  virtual HRESULT get_DryBulbOn(double* value) = 0;  // 3
  virtual HRESULT put_DryBulbOn(double value) = 0;   // 4
  virtual HRESULT get_Qai(double* value) = 0;        // 5
  virtual HRESULT put_Qai(double value) = 0;         // 6: sets the face velocity from an air volume
  virtual HRESULT get_AirVelocity(double* value) = 0;  // 7
  virtual HRESULT put_AirVelocity(double value) = 0;   // 8
  virtual HRESULT get_Discharge(double* value) = 0;    // 9
  virtual HRESULT put_Discharge(double value) = 0;     // 10
  virtual HRESULT get_ma(double* value) = 0;           // 11
  virtual HRESULT put_ma(double value) = 0;            // 12: sets the face velocity from a mass flow
  virtual HRESULT Calculate(double* result) = 0;       // 13
  virtual HRESULT get_Qt(double* value) = 0;           // 14
  virtual HRESULT get_Qs(double* value) = 0;           // 15
  virtual HRESULT get_DBo(double* value) = 0;          // 16
  virtual HRESULT get_WBo(double* value) = 0;          // 17
  virtual HRESULT get_CalcError(int32_t* value) = 0;   // 18
  virtual HRESULT get_WetBulbOn(double* value) = 0;    // 19
  virtual HRESULT put_WetBulbOn(double value) = 0;     // 20

protected:
  ~IKeltCoil() = default;
};
