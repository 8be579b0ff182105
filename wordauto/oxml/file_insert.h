#pragma once

#include "wordauto/oxml/document_model.h"

#include <string>

namespace wordauto::detail {

// Inserts the body of the document at path into target's body before `before` (the end of
// the body when empty), bringing the styles, numbering and related parts (images, footers of
// inner sections) that the inserted content refers to, with their ids remapped. The inserted
// document's own last section properties are not taken, as in Word. Returns the first block
// inserted (or `before` when the document's body was empty).
pugi::xml_node insertDocumentBody(DocumentModel& target, pugi::xml_node before,
                                  const std::string& path);

} // namespace wordauto::detail
