#pragma once

// File lookup and folder listing are the library's, which the report form lists with too.
#include "reportform/runtime/file_lookup.h"

namespace framework {
using vendrik::fileExists;
using vendrik::findFile;
using vendrik::folderExists;
using vendrik::FolderListing;
using vendrik::FolderLookup;
using vendrik::joinPath;
using vendrik::listFiles;
using vendrik::matchesPattern;
using vendrik::upperCaseName;
} // namespace framework
