#include "LoopVars.h"

#include <algorithm>

TLoopVars DefaultLoopVars() {
  return {{
      {"Air Velocity", 2.0, 5.0, 4, 1, true},
      {"Dry Bulb On", 25.0, 35.0, 5, 0, false},
      {"Wet Bulb On", 16.0, 20.0, 5, 0, false},
      {"Discharge", 46.0, 50.0, 5, 0, false},
  }};
}

TLoopVars LoopVars = DefaultLoopVars();

int FindLoopOrder(const TLoopVars& vars, int32_t order) {
  for (int i = 0; i < LoopVarCount; ++i)
    if (vars[i].Order == order + 1) return i;
  return -1;
}

void ApplyTickRule(TLoopVars& vars, int index, bool ticked) {
  TLoopVar& current = vars.at(index);
  if (ticked) {
    current.Order = 0;
    int32_t largest = 0;
    for (const TLoopVar& v : vars) largest = std::max(largest, v.Order);
    current.Order = largest + 1;
  } else {
    const int32_t old = current.Order;
    for (TLoopVar& v : vars)
      if (v.Order > old) --v.Order;
    current.Order = 0;
  }
}
