#pragma once

#include "core/base/Clock.h"

using VirtualClock = ManualClock;
