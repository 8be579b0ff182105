#pragma once

// The program's own boxes, on the library's one message box function (runtime/msgbox.h), so
// the program's boxes and the report form's are scripted and recorded alike.
#include "runtime/msgbox.h"

#include <QString>

namespace framework {

inline constexpr const char* kProgramTitle = "Quarvello";

// The framework's error box: no owner, the program title, stop icon, OK.
void errorBox(const QString& text);
// The information box captioned INFO, no owner.
void infoBox(const QString& text);

} // namespace framework
