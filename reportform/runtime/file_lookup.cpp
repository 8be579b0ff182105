#include "reportform/runtime/file_lookup.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>

namespace vendrik {

namespace {

bool sameLetters(char a, char b)
{
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
}

std::string lowerCase(std::string name)
{
    for (char& c : name)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return name;
}

bool isPlainFile(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Plain, visible files in the order readdir gives them. The entry's type from the listing
// saves a stat per file; links and file systems that do not tell are stat'ed.
template <typename F>
void forEachFile(const std::string& folder, F&& f, bool withHidden = false)
{
    const std::string dir = folder.empty() ? "." : folder;
    DIR* d = ::opendir(dir.c_str());
    if (!d)
        return;
    while (dirent* e = ::readdir(d)) {
        const std::string name = e->d_name;
        if (name.empty() || (name[0] == '.' && !withHidden))
            continue;
        const bool plain = e->d_type == DT_REG
            || ((e->d_type == DT_LNK || e->d_type == DT_UNKNOWN) && isPlainFile(dir + "/" + name));
        if (!plain)
            continue;
        if (!f(name))
            break;
    }
    ::closedir(d);
}

} // namespace

std::string joinPath(const std::string& folder, const std::string& name)
{
    if (folder.empty())
        return name;
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

namespace {

// The file whose name differs from `name` only in the case of its letters (a name is no
// pattern: a '?' in it is a question mark).
std::optional<std::string> findOtherCase(const std::string& folder, const std::string& name)
{
    const std::string key = lowerCase(name);
    std::optional<std::string> found;
    forEachFile(folder, [&](const std::string& candidate) {
        if (candidate.size() == name.size() && lowerCase(candidate) == key) {
            found = joinPath(folder, candidate);
            return false;
        }
        return true;
    });
    return found;
}

} // namespace

std::optional<std::string> findFile(const std::string& folder, const std::string& name)
{
    const std::string exact = joinPath(folder, name);
    if (isPlainFile(exact))
        return exact;
    return findOtherCase(folder, name);
}

FolderLookup::FolderLookup(std::string folder) : folder_(std::move(folder))
{
    // Without the folder open every lookup goes by the whole path.
    fd_ = ::open(folder_.empty() ? "." : folder_.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
}

FolderLookup::~FolderLookup()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool FolderLookup::isPlainFileHere(const std::string& name) const
{
    if (fd_ < 0)
        return isPlainFile(joinPath(folder_, name));
    struct stat st {};
    return ::fstatat(fd_, name.c_str(), &st, 0) == 0 && S_ISREG(st.st_mode);
}

void FolderLookup::listAgain() const
{
    byLowerCase_.clear();
    forEachFile(folder_, [&](const std::string& name) {
        byLowerCase_.try_emplace(lowerCase(name), name);
        return true;
    });
    listed_ = true;
}

std::optional<std::string> FolderLookup::findFile(const std::string& name) const
{
    if (isPlainFileHere(name))
        return joinPath(folder_, name);
    const std::string key = lowerCase(name);
    const auto inTable = [&]() -> std::optional<std::string> {
        const auto it = byLowerCase_.find(key);
        if (it != byLowerCase_.end() && isPlainFileHere(it->second))
            return joinPath(folder_, it->second);
        return std::nullopt;
    };
    if (listed_)
        if (auto found = inTable())
            return found;
    listAgain(); // first use, or the folder changed since
    return inTable();
}

bool folderExists(const std::string& folder)
{
    struct stat st {};
    return ::stat((folder.empty() ? std::string(".") : folder).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool matchesPattern(const std::string& name, const std::string& pattern)
{
    // Iterative wildcard match with one backtrack point for '*'.
    std::size_t n = 0, p = 0, star = std::string::npos, mark = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || (pattern[p] != '*' && sameLetters(pattern[p], name[n])))) {
            ++n;
            ++p;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            mark = n;
        } else if (star != std::string::npos) {
            p = star + 1;
            n = ++mark;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

std::vector<std::string> listFiles(const std::string& folder, const std::string& pattern, bool withHidden)
{
    std::vector<std::string> names;
    forEachFile(
        folder,
        [&](const std::string& name) {
            if (matchesPattern(name, pattern))
                names.push_back(name);
            return true;
        },
        withHidden);
    return names;
}

FolderListing::FolderListing(const std::string& folder)
{
    forEachFile(folder, [&](const std::string& name) {
        names_.push_back(name);
        return true;
    });
}

std::vector<std::string> FolderListing::matching(const std::string& pattern) const
{
    std::vector<std::string> names;
    for (const auto& name : names_)
        if (matchesPattern(name, pattern))
            names.push_back(name);
    return names;
}

} // namespace vendrik
