#pragma once

// The message box codes live with the library's message box, which the program shares.
#include "reportform/runtime/msgbox_codes.h"

namespace framework {
namespace mb = vendrik::mb;
namespace answer = vendrik::answer;
} // namespace framework
