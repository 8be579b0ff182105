#pragma once

#include <string>

namespace wordauto::detail {
class DocumentModel;
}

namespace wordauto::print {

// Prints the document's layout: as a PDF in destinationFolder when one is given (named after
// the document, never over an earlier print), else on the system's default printer. Returns
// when the output is complete; WordError when there is no printer or the output fails.
void printDocument(detail::DocumentModel& doc, const std::string& destinationFolder);

} // namespace wordauto::print
