#pragma once

// The one message box function and its test recorder are the library's, so the program's boxes
// and the report form's are scripted and recorded alike.
#include "framework/msgbox_codes.h"
#include "reportform/runtime/msgbox.h"

#include <QString>

namespace framework {

using vendrik::kInfoCaption;
using vendrik::messageBox;
using vendrik::MessageBoxLog;
using vendrik::ShownBox;

inline constexpr const char* kProgramTitle = "Quarvello";

// The framework's error box: no owner, the program title, stop icon, OK.
void errorBox(const QString& text);
// The information box captioned INFO, no owner.
void infoBox(const QString& text);

} // namespace framework
