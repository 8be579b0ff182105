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

bool isPlainFile(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Plain files in the order readdir gives them; those whose name begins with a point only when
// asked for.
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
        if (!isPlainFile(dir + "/" + name))
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

// The file whose name differs from `name` only in the case of its letters.
std::optional<std::string> findOtherCase(const std::string& folder, const std::string& name)
{
    std::optional<std::string> found;
    forEachFile(folder, [&](const std::string& candidate) {
        if (candidate.size() == name.size() && matchesPattern(candidate, name)) {
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

std::optional<std::string> FolderLookup::findFile(const std::string& name) const
{
    if (fd_ < 0)
        return vendrik::findFile(folder_, name);
    struct stat st {};
    if (::fstatat(fd_, name.c_str(), &st, 0) == 0 && S_ISREG(st.st_mode))
        return joinPath(folder_, name);
    return findOtherCase(folder_, name);
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

} // namespace vendrik
