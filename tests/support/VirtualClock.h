#pragma once

#include "ManualClock.h"

using VirtualClock = ManualClock;
