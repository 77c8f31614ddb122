#pragma once
#include "IKeltCoil.h"

// Creates the coil calculation server as an in-process or local server and
// queries it for IKeltCoil. Failures raise EOleSysError: the system's message
// with the class identifier, or "Interface not supported".
class CoKeltCoil {
public:
  static ComPtr<IKeltCoil> Create();
  // The same for another registration of the interface (test servers).
  static ComPtr<IKeltCoil> Create(const CLSID& clsid);
};
