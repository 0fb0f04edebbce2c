#pragma once

// For tests only: the library variant kestrun_io_faults, built with
// KESTRUN_SAVE_FAULTS, reports each step of a write here before making it.
// The shipped programs do not contain this hook.

#include "SaveSteps.h"

#include <functional>

namespace kestrun::detail {

// Called before each step; returns 0 to go on, or an errno the step then
// fails with (without being made). An empty hook lets every step go on.
using SaveStepHook = std::function<int(SaveStep)>;
void setSaveStepHook(SaveStepHook hook);

} // namespace kestrun::detail
