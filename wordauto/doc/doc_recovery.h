#pragma once

// Recovery copies of documents with unsaved changes, as Word's AutoRecover keeps them: one
// package per document under the user's cache folder, named from a hash of the document's
// path, with a small file beside it that holds the path itself.
#include "wordauto/oxml/document_model.h"

#include <memory>
#include <optional>
#include <string>

namespace wordauto::detail {

// $XDG_CACHE_HOME/quarvello/recovery, or ~/.cache/quarvello/recovery.
std::string recoveryFolder();
// Where the copy of the document at this absolute path goes.
std::string recoveryCopyPath(const std::string& documentPath);

// Writes the document as it stands to its recovery copy, atomically; the document itself
// stays as it is (path, changed flag).
void writeRecoveryCopy(DocumentModel& doc);
// Removes the copy of the document at this path, if there is one.
void discardRecoveryCopy(const std::string& documentPath);
// The copy of this document when there is one recorded for its path and newer than the file.
std::optional<std::string> newerRecoveryCopy(const std::string& documentPath);

// Opens the document at path as DOC_Documents::Open does; opened for editing with a newer
// recovery copy, the user is asked whether to take it. Taken, the copy's package opens in
// the file's place, marked changed; declined or damaged, the copy is removed.
std::shared_ptr<DocumentModel> openWithRecovery(const std::string& path, bool readOnly);

} // namespace wordauto::detail
