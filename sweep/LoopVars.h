#pragma once
// The table of the four loop variables that a sweep can vary, and the rule by
// which ticking variables numbers their nesting order.
#include <array>
#include <cstdint>
#include <string>

struct TLoopVar {
  std::string Name;  // also the list item's text and the key that picks the server input
  double Start;
  double End;
  int32_t Count;  // points, first and last included
  int32_t Order;  // 1 = outermost varied variable, 0 = not varied
  bool Checked;   // ticked when the list is first filled
};

inline constexpr int LoopVarCount = 4;
using TLoopVars = std::array<TLoopVar, LoopVarCount>;

// The compiled defaults: only "Air Velocity" varied, 2.0 to 5.0 in 4 points.
TLoopVars DefaultLoopVars();

// The program's table, filled with the defaults at start and never saved.
extern TLoopVars LoopVars;

// Index of the first record whose Order is order + 1, or -1: with 0 the
// outermost variable, with a record's own Order the next one inside it.
int FindLoopOrder(const TLoopVars& vars, int32_t order);

// Keeps the ticked variables numbered 1..k in the order they were ticked and
// every unticked one at 0. A newly ticked variable becomes the innermost one;
// unticking moves the variables inside it one level out.
void ApplyTickRule(TLoopVars& vars, int index, bool ticked);
