#pragma once

// The page count of a document's layout, for the layers that use no Qt.

namespace wordauto::detail {
class DocumentModel;
}

namespace wordauto::layout {

// Pages of the document's layout; laid out when asked, kept until the document changes.
int pageCount(detail::DocumentModel& doc);

} // namespace wordauto::layout
