#pragma once
// Moved to bench/support/benchsupport.h; kept only until soak and framebench include that.
#include "support/benchsupport.h"
