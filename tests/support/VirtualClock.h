#pragma once

#include "app/Clock.h"

using VirtualClock = ManualClock;
