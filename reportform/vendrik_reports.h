#pragma once

// What a host program includes to use the library's report form, its print-limits dialog and
// the report icon; it links libvendrik.so and Qt Widgets, nothing else.
#include "reportform/definition.h"
#include "reportform/display_lines.h"
#include "reportform/gwlim1.h"
#include "reportform/gwrprt.h"
#include "reportform/gwrprt_layout.h"
#include "reportform/i_rp0.h"
#include "runtime/msgbox.h"
