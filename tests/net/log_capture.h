// The old name of the shared log capture, kept for the command tests that
// still include it from here.
#pragma once

#include "common/log_capture.h"

namespace loopback {
using log_capture = LogCapture;
}  // namespace loopback
