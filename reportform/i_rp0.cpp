#include "reportform/i_rp0.h"

#include <QPixmap>

namespace vendrik {

namespace {
#include "reportform/i_rp0.xpm"
} // namespace

I_RP0::I_RP0() : QIcon(QPixmap(i_rp0_xpm)) {}

} // namespace vendrik
