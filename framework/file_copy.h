#pragma once

#include "runtime/file_lookup.h"

#include <cstddef>
#include <functional>
#include <string>

namespace framework {

// What became of a copy into a folder.
enum class CopyOutcome {
    Copied,
    // A file of that name (whatever the case of its letters) was there already: it was kept.
    TargetExists,
    Failed,
};

struct CopyResult {
    CopyOutcome outcome = CopyOutcome::Failed;
    std::string target; // the file in the folder: the new copy or the one that was kept
    std::string cause;  // why it failed, in Italian
};

// Copies the plain file `source` into `folder` as `name`, never replacing a file that is there.
// The bytes go to a hidden temporary file in the folder, are flushed to disk and only then take
// the name, so an interrupted copy leaves no half file under it (and nothing a listing of the
// folder's plain files would show).
// `listed`, when given, is a lookup of `folder` made once for a loop of copies, so that each
// copy does not list the folder again; the no-replace rename still keeps a file that came
// since.
CopyResult copyFileNoReplace(const std::string& source, const std::string& folder,
                             const std::string& name, const vendrik::FolderLookup* listed = nullptr);

// Deletes a plain file and flushes its folder; false with the cause when it could not.
bool removeFile(const std::string& path, std::string* cause = nullptr);

// Test hook: when set, the copy calls it with the number of bytes written so far before each
// chunk and once at the end; throwing from it stands for a failure midway (a full disk).
void setCopyFaultHook(std::function<void(std::size_t bytesWritten)> hook);

} // namespace framework
