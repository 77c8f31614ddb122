// The coil server module as a client meets it: registered in the test run's
// private store, created through the component runtime, driven through IKeltCoil.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdlib>

#include "CoKeltCoil.h"
#include "CoilModel.h"
#include "ComServer.h"
#include "Registry.h"

namespace {

void* ServerModule() {
  static void* handle = ::dlopen(KELT_COIL_SERVER, RTLD_NOW | RTLD_LOCAL);
  return handle;
}

template <class TFunction>
TFunction* Entry(const char* name) {
  return reinterpret_cast<TFunction*>(::dlsym(ServerModule(), name));
}

using TDllGetClassObject = HRESULT(const CLSID&, const IID&, void**);

std::string RegisteredPath() {
  TRegistry reg(HKEY_CURRENT_USER);
  if (!reg.OpenKeyReadOnly(ClassKeyPath(CLASS_KeltCoil) + "\\InprocServer32")) return {};
  return reg.ReadString("");
}

class KeltCoilServer : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_NE(ServerModule(), nullptr) << ::dlerror();
    ASSERT_EQ(CoInitialize(), S_OK);
    ASSERT_EQ(Entry<HRESULT()>("DllRegisterServer")(), S_OK);
    FCoil = CoKeltCoil::Create();
  }
  void TearDown() override {
    FCoil = nullptr;
    CoUninitialize();
  }
  double Value(HRESULT (IKeltCoil::*getter)(double*)) {
    double value = NAN;
    OleCheck((FCoil.Get()->*getter)(&value));
    return value;
  }
  std::string Model() {
    TBStr text;
    OleCheck(FCoil->get_CoilModel(text.Put()));
    return text.ToString();
  }
  ComPtr<IKeltCoil> FCoil;
};

}  // namespace

TEST_F(KeltCoilServer, RegistersItsOwnPathAndUnregisters) {
  char resolved[PATH_MAX];
  ASSERT_NE(::realpath(KELT_COIL_SERVER, resolved), nullptr);
  EXPECT_EQ(RegisteredPath(), resolved);

  ASSERT_EQ(Entry<HRESULT()>("DllUnregisterServer")(), S_OK);
  EXPECT_EQ(RegisteredPath(), "");
  try {
    CoKeltCoil::Create();
    FAIL() << "created an unregistered class";
  } catch (const EOleSysError& e) {
    EXPECT_EQ(e.ErrorCode(), REGDB_E_CLASSNOTREG);
  }
  ASSERT_EQ(Entry<HRESULT()>("DllRegisterServer")(), S_OK);
  EXPECT_TRUE(CoKeltCoil::Create());
}

TEST_F(KeltCoilServer, StartsWithTheDefaultCoilAndInputs) {
  EXPECT_EQ(Model(), "KC-600x900-4R-10FPI");
  EXPECT_EQ(Value(&IKeltCoil::get_AirVelocity), 2.5);
  EXPECT_EQ(Value(&IKeltCoil::get_DryBulbOn), 27);
  EXPECT_EQ(Value(&IKeltCoil::get_WetBulbOn), 19);
  EXPECT_EQ(Value(&IKeltCoil::get_Discharge), 48);
}

TEST_F(KeltCoilServer, CalculatesWhatTheCoilModelGives) {
  OleCheck(FCoil->put_AirVelocity(3.5));
  OleCheck(FCoil->put_DryBulbOn(32));
  OleCheck(FCoil->put_WetBulbOn(20.5));
  OleCheck(FCoil->put_Discharge(46));
  TBStr other("KC-900x1200-4R-12FPI");
  OleCheck(FCoil->put_CoilModel(other.Get()));
  double qt = 0;
  OleCheck(FCoil->Calculate(&qt));
  int32_t error = -1;
  OleCheck(FCoil->get_CalcError(&error));
  EXPECT_EQ(error, 0);

  const CoilModel::TCoilResults expected =
      CoilModel::Calculate(*CoilModel::FindCoil("KC-900x1200-4R-12FPI"), {3.5, 32, 20.5, 46});
  EXPECT_EQ(qt, expected.Qt);
  EXPECT_EQ(Value(&IKeltCoil::get_Qt), expected.Qt);
  EXPECT_EQ(Value(&IKeltCoil::get_Qs), expected.Qs);
  EXPECT_EQ(Value(&IKeltCoil::get_DBo), expected.DBo);
  EXPECT_EQ(Value(&IKeltCoil::get_WBo), expected.WBo);
  EXPECT_EQ(Value(&IKeltCoil::get_ma), expected.ma);
  EXPECT_EQ(Value(&IKeltCoil::get_Qai), expected.Qai);
  // Inputs keep what was put, the model its canonical text.
  EXPECT_EQ(Value(&IKeltCoil::get_WetBulbOn), 20.5);
  EXPECT_EQ(Model(), "KC-900x1200-4R-12FPI");
}

TEST_F(KeltCoilServer, ResultsDescribeTheLastCalculation) {
  double ignored = 0;
  OleCheck(FCoil->Calculate(&ignored));
  const double qt = Value(&IKeltCoil::get_Qt);
  OleCheck(FCoil->put_AirVelocity(4));
  EXPECT_EQ(Value(&IKeltCoil::get_Qt), qt) << "no recalculation before Calculate";
  OleCheck(FCoil->Calculate(&ignored));
  EXPECT_GT(Value(&IKeltCoil::get_Qt), qt);
}

TEST_F(KeltCoilServer, UnknownModelFailsAndKeepsTheOldOne) {
  TBStr other("KC-450x600-3R-12FPI");
  OleCheck(FCoil->put_CoilModel(other.Get()));
  for (const char* unknown : {"", "KC-999", "Carrier 38"}) {
    TBStr text(unknown);
    EXPECT_EQ(FCoil->put_CoilModel(text.Get()), E_INVALIDARG) << unknown;
    EXPECT_EQ(Model(), "KC-450x600-3R-12FPI");
  }
  EXPECT_EQ(FCoil->put_CoilModel(nullptr), E_INVALIDARG);
  // The controller writes back exactly the text it read.
  TBStr same(Model());
  EXPECT_EQ(FCoil->put_CoilModel(same.Get()), S_OK);
}

TEST_F(KeltCoilServer, AirVolumeAndMassFlowSetTheVelocity) {
  const double area = CoilModel::FaceArea(CoilModel::DefaultCoil());
  OleCheck(FCoil->put_Qai(1.62));
  EXPECT_NEAR(Value(&IKeltCoil::get_AirVelocity), 1.62 / area, 1e-12);
  EXPECT_NEAR(Value(&IKeltCoil::get_Qai), 1.62, 1e-12);
  OleCheck(FCoil->put_ma(2.0));
  EXPECT_NEAR(Value(&IKeltCoil::get_ma), 2.0, 1e-12);
  EXPECT_GT(Value(&IKeltCoil::get_AirVelocity), 1.62 / area);
}

TEST_F(KeltCoilServer, ValuesThatAreNoNumbersAreRefused) {
  HRESULT (IKeltCoil::*puts[])(double) = {&IKeltCoil::put_AirVelocity, &IKeltCoil::put_DryBulbOn,
                                          &IKeltCoil::put_WetBulbOn,   &IKeltCoil::put_Discharge,
                                          &IKeltCoil::put_Qai,         &IKeltCoil::put_ma};
  for (auto put : puts)
    for (double bad : {NAN, INFINITY, -INFINITY}) EXPECT_EQ((FCoil.Get()->*put)(bad), E_INVALIDARG);
  EXPECT_EQ(Value(&IKeltCoil::get_AirVelocity), 2.5);
  EXPECT_EQ(Value(&IKeltCoil::get_DryBulbOn), 27);
  EXPECT_EQ(Value(&IKeltCoil::get_WetBulbOn), 19);
  EXPECT_EQ(Value(&IKeltCoil::get_Discharge), 48);
}

TEST_F(KeltCoilServer, ImpossibleInputsCompleteWithCalcError) {
  struct {
    HRESULT (IKeltCoil::*Put)(double);
    double Value;
  } cases[] = {{&IKeltCoil::put_WetBulbOn, 30}, {&IKeltCoil::put_AirVelocity, 0},
               {&IKeltCoil::put_AirVelocity, -1}, {&IKeltCoil::put_Discharge, 20}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Value);
    OleCheck((FCoil.Get()->*c.Put)(c.Value));
    double qt = NAN;
    EXPECT_EQ(FCoil->Calculate(&qt), S_OK);
    int32_t error = 0;
    OleCheck(FCoil->get_CalcError(&error));
    EXPECT_EQ(error, 1);
    for (auto getter : {&IKeltCoil::get_Qt, &IKeltCoil::get_Qs, &IKeltCoil::get_DBo, &IKeltCoil::get_WBo,
                        &IKeltCoil::get_ma, &IKeltCoil::get_Qai})
      EXPECT_TRUE(std::isfinite(Value(getter)));
    // Back to the defaults: the next calculation succeeds again.
    OleCheck(FCoil->put_WetBulbOn(19));
    OleCheck(FCoil->put_AirVelocity(2.5));
    OleCheck(FCoil->put_Discharge(48));
    OleCheck(FCoil->Calculate(&qt));
    OleCheck(FCoil->get_CalcError(&error));
    EXPECT_EQ(error, 0);
  }
}

TEST_F(KeltCoilServer, NullOutputsAndLateBindingAreRefused) {
  EXPECT_EQ(FCoil->get_Qt(nullptr), E_POINTER);
  EXPECT_EQ(FCoil->get_CoilModel(nullptr), E_POINTER);
  EXPECT_EQ(FCoil->get_CalcError(nullptr), E_POINTER);
  EXPECT_EQ(FCoil->Calculate(nullptr), S_OK) << "the output of Calculate is optional";
  uint32_t count = 7;
  EXPECT_EQ(FCoil->GetTypeInfoCount(&count), E_NOTIMPL);
  EXPECT_EQ(FCoil->GetIDsOfNames(IKeltCoil::Iid, nullptr, 0, 0, nullptr), E_NOTIMPL);
  EXPECT_EQ(FCoil->Invoke(1, IKeltCoil::Iid, 0, 0, nullptr, nullptr, nullptr, nullptr), E_NOTIMPL);
}

TEST_F(KeltCoilServer, InterfacesAndReferenceCounting) {
  ComPtr<IDispatch> dispatch;
  EXPECT_EQ(FCoil.As(dispatch), S_OK);
  ComPtr<IClassFactory> notThere;
  EXPECT_EQ(FCoil.As(notThere), E_NOINTERFACE);
  EXPECT_FALSE(notThere);
  dispatch = nullptr;

  auto canUnload = Entry<HRESULT()>("DllCanUnloadNow");
  ASSERT_NE(canUnload, nullptr);
  EXPECT_EQ(canUnload(), S_FALSE) << "an object is alive";
  EXPECT_EQ(FCoil->AddRef(), 2u);
  EXPECT_EQ(FCoil->Release(), 1u);
  FCoil = nullptr;
  EXPECT_EQ(canUnload(), S_OK);

  // The class factory: its own lock, no aggregation, only our class.
  auto getClassObject = Entry<TDllGetClassObject>("DllGetClassObject");
  ComPtr<IClassFactory> factory;
  ASSERT_EQ(getClassObject(CLASS_KeltCoil, IClassFactory::Iid, factory.PutVoid()), S_OK);
  EXPECT_EQ(canUnload(), S_FALSE);
  ComPtr<IKeltCoil> coil;
  EXPECT_EQ(factory->CreateInstance(factory.Get(), IKeltCoil::Iid, coil.PutVoid()), CLASS_E_NOAGGREGATION);
  EXPECT_EQ(factory->CreateInstance(nullptr, IClassFactory::Iid, coil.PutVoid()), E_NOINTERFACE);
  EXPECT_EQ(factory->LockServer(1), S_OK);
  factory = nullptr;
  EXPECT_EQ(canUnload(), S_FALSE) << "locked";
  // A locked module keeps its lock until unlocked through a factory.
  ASSERT_EQ(getClassObject(CLASS_KeltCoil, IClassFactory::Iid, factory.PutVoid()), S_OK);
  EXPECT_EQ(factory->LockServer(0), S_OK);
  factory = nullptr;
  EXPECT_EQ(canUnload(), S_OK);

  void* object = reinterpret_cast<void*>(1);
  EXPECT_EQ(getClassObject(IKeltCoil::Iid, IClassFactory::Iid, &object), CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(object, nullptr);
}
