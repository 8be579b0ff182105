#pragma once

// The process-wide date format is the library's, so the report form shows dates as the program
// does.
#include "reportform/runtime/dates.h"

namespace framework {
using vendrik::dateFormat;
using vendrik::formatDate;
using vendrik::parseDate;
using vendrik::setDateFormat;
using vendrik::setYearEpoch;
using vendrik::yearEpoch;
} // namespace framework
