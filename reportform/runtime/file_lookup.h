#pragma once

#include "reportform/vendrik_export.h"

#include <optional>
#include <string>
#include <vector>

namespace vendrik {

// File names inside the program's folders are matched without regard to case, as the file
// system the program was made for did: "0.00.01.doc" finds 0.00.01.DOC.

// The path of the file named `name` in `folder` ("" for the current folder), whatever the case
// of its letters; nothing when there is none (folders do not count).
VENDRIK_EXPORT std::optional<std::string> findFile(const std::string& folder, const std::string& name);
inline bool fileExists(const std::string& folder, const std::string& name)
{
    return findFile(folder, name).has_value();
}

// Looks files up in one folder again and again: the folder is opened once, so each lookup
// resolves one name instead of the whole path.
class VENDRIK_EXPORT FolderLookup {
public:
    explicit FolderLookup(std::string folder);
    ~FolderLookup();
    FolderLookup(const FolderLookup&) = delete;
    FolderLookup& operator=(const FolderLookup&) = delete;

    // As findFile(folder, name).
    std::optional<std::string> findFile(const std::string& name) const;

private:
    std::string folder_;
    int fd_ = -1;
};

// True when the folder exists and can be listed.
VENDRIK_EXPORT bool folderExists(const std::string& folder);

// Names of the plain files of `folder` that match `pattern` ('?' one character, '*' any run,
// letters compared without regard to case), in the order the folder listing gives them.
// Folders are not listed, nor files whose name begins with a point unless `withHidden`.
VENDRIK_EXPORT std::vector<std::string> listFiles(const std::string& folder, const std::string& pattern,
                                                  bool withHidden = false);

VENDRIK_EXPORT bool matchesPattern(const std::string& name, const std::string& pattern);

// folder + "/" + name, or name alone for the current folder.
VENDRIK_EXPORT std::string joinPath(const std::string& folder, const std::string& name);

} // namespace vendrik
