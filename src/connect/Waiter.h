#pragma once
// Waiting that keeps the window live lives on the floor (common/Waiter.h),
// where the propagation driver's process wait uses it as well.
#include "common/Waiter.h"
