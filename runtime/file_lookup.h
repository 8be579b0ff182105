#pragma once

#include "runtime/vendrik_export.h"

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace vendrik {

// File names inside the program's folders are matched without regard to case, as the file
// system the program was made for did: "0.00.01.doc" finds 0.00.01.DOC, "CITTÀ.TXT" finds
// città.txt. Names are UTF-8 and compared character by character, each character by its
// simple (one for one) upper case, case folded: "ß" matches "ẞ" but not "SS". A byte that is no
// part of a well-formed character is a character of its own, equal only to the same byte.

// The name with each character in its simple upper case (bytes outside UTF-8 as they are): the
// lookup finds the name by it.
VENDRIK_EXPORT std::string upperCaseName(const std::string& name);

// The path of the file named `name` in `folder` ("" for the current folder), whatever the case
// of its letters; nothing when there is none (folders do not count).
VENDRIK_EXPORT std::optional<std::string> findFile(const std::string& folder, const std::string& name);
inline bool fileExists(const std::string& folder, const std::string& name)
{
    return findFile(folder, name).has_value();
}

// Looks files up in one folder again and again: the folder is opened once, so each lookup
// resolves one name instead of the whole path; and a name in other letter case is found in a
// table of the folder's names, listed once and again only when a name is not (or no longer)
// where the table says, so a dossier whose files are all spelt "1.01.01.doc" is not listed
// once per file.
class VENDRIK_EXPORT FolderLookup {
public:
    enum class Listing {
        AgainOnMiss, // a name in the table no longer there, or in no table, lists the folder again
        Once,        // for a loop that adds files by exact name: the first listing stands, so a
                     // name that is not there costs one lookup, not a listing of the folder
    };
    explicit FolderLookup(std::string folder, Listing listing = Listing::AgainOnMiss);
    ~FolderLookup();
    FolderLookup(const FolderLookup&) = delete;
    FolderLookup& operator=(const FolderLookup&) = delete;

    // As findFile(folder, name).
    std::optional<std::string> findFile(const std::string& name) const;

private:
    bool isPlainFileHere(const std::string& name) const;
    void listAgain() const;

    std::string folder_;
    int fd_ = -1;
    // The folder's plain files by their folded name; the first in listing order wins.
    mutable std::unordered_map<std::u32string, std::string> byFoldedName_;
    Listing listing_;
    mutable bool listed_ = false;
};

// True when the folder exists and can be listed.
VENDRIK_EXPORT bool folderExists(const std::string& folder);

// Names of the plain files of `folder` that match `pattern` ('?' one character, '*' any run,
// letters compared without regard to case, as above), in the order the folder listing gives them.
// Folders are not listed, nor files whose name begins with a point unless `withHidden`.
VENDRIK_EXPORT std::vector<std::string> listFiles(const std::string& folder, const std::string& pattern,
                                                  bool withHidden = false);

// One listing of a folder's plain, visible files, filtered as often as needed: what
// listFiles(folder, pattern) gives for each pattern, without listing the folder again.
class VENDRIK_EXPORT FolderListing {
public:
    explicit FolderListing(const std::string& folder);
    std::vector<std::string> matching(const std::string& pattern) const;

private:
    std::vector<std::string> names_;
    std::vector<std::u32string> folded_; // each name folded once, for every pattern
};

VENDRIK_EXPORT bool matchesPattern(const std::string& name, const std::string& pattern);

// folder + "/" + name, or name alone for the current folder.
VENDRIK_EXPORT std::string joinPath(const std::string& folder, const std::string& name);

} // namespace vendrik
