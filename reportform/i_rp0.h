#pragma once

#include "runtime/vendrik_export.h"

#include <QIcon>

namespace vendrik {

// The icon of the report dialogs: a printer putting out a sheet, 32 x 32, from the library's
// own image.
class VENDRIK_EXPORT I_RP0 : public QIcon {
public:
    I_RP0();
};

} // namespace vendrik
