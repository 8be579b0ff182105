#pragma once

// Writes the sample root folder the program ships with: the list index, the blank lists (LDC),
// the section separators (WRD), the result templates, the merge template and a sample dossier
// (DATI/Cantiere Via Roma) with filled lists and the results of a report run over them.

#include <string>

namespace sample {

// The dossier's folder below DATI; its name has a blank on purpose.
inline constexpr const char* kDossierName = "Cantiere Via Roma";

// Writes the whole root into `root` (created when missing; existing files are replaced).
// Throws wordauto::WordError when a file cannot be written, and std::logic_error when the
// sources contradict themselves (a filled field that the list does not have).
void writeSampleRoot(const std::string& root);

} // namespace sample
