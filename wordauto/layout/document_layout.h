#pragma once

#include "wordauto/layout/page.h"

namespace wordauto::detail {
class DocumentModel;
}

namespace wordauto::layout {

// Lays the document out into pages: sections with their page size, margins, headers and
// footers; paragraphs, tables and form fields of the main story. Always at least one page.
// Needs a QGuiApplication for its fonts; when the process has none, one is made on Qt's
// offscreen platform.
DocumentLayout layoutDocument(detail::DocumentModel& doc);

} // namespace wordauto::layout
