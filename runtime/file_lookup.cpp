#include "runtime/file_lookup.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QChar>
#include <QStringView>

#include <string_view>

namespace vendrik {

namespace {

// A byte outside UTF-8 stands as kStrayByte + its value: above every character, so it equals
// nothing but the same byte.
constexpr char32_t kStrayByte = 0x110000;

// The character that starts at `at` in `s`, and `at` moved past it; a byte that does not start
// a well-formed character (overlong, a surrogate, beyond U+10FFFF, cut short) is taken alone.
char32_t nextCharacter(std::string_view s, std::size_t& at)
{
    const auto lead = static_cast<unsigned char>(s[at]);
    if (lead < 0x80) {
        ++at;
        return lead;
    }
    std::size_t length = 0;
    char32_t c = 0, least = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, c = lead & 0x1F, least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, c = lead & 0x0F, least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, c = lead & 0x07, least = 0x10000;
    }
    bool wellFormed = length > 0 && at + length <= s.size();
    for (std::size_t k = 1; wellFormed && k < length; ++k) {
        const auto next = static_cast<unsigned char>(s[at + k]);
        wellFormed = (next & 0xC0) == 0x80;
        c = (c << 6) | (next & 0x3F);
    }
    if (!wellFormed || c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        ++at;
        return kStrayByte + lead;
    }
    at += length;
    return c;
}

// Upper case first, so that whatever upperCaseName makes of a character folds as the character
// does (ı and I, ſ and S come together); then folded, so the Kelvin sign meets k.
char32_t folded(char32_t c)
{
    if (c < 0x80)
        return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c;
    if (c >= kStrayByte)
        return c;
    return QChar::toCaseFolded(QChar::toUpper(c));
}

std::u32string foldedName(std::string_view name)
{
    std::u32string out;
    out.reserve(name.size());
    for (std::size_t at = 0; at < name.size();)
        out += folded(nextCharacter(name, at));
    return out;
}

// `name` folded equals `key`, the name left as soon as they differ.
bool foldsTo(std::string_view name, std::u32string_view key)
{
    std::size_t at = 0, k = 0;
    while (at < name.size()) {
        if (k == key.size() || folded(nextCharacter(name, at)) != key[k])
            return false;
        ++k;
    }
    return k == key.size();
}

// Iterative wildcard match of folded names with one backtrack point for '*'.
bool matchesFolded(std::u32string_view name, std::u32string_view pattern)
{
    std::size_t n = 0, p = 0, star = std::u32string_view::npos, mark = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == U'?' || (pattern[p] != U'*' && pattern[p] == name[n]))) {
            ++n;
            ++p;
        } else if (p < pattern.size() && pattern[p] == U'*') {
            star = p++;
            mark = n;
        } else if (star != std::u32string_view::npos) {
            p = star + 1;
            n = ++mark;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == U'*')
        ++p;
    return p == pattern.size();
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

std::string upperCaseName(const std::string& name)
{
    std::string out;
    out.reserve(name.size());
    for (std::size_t at = 0; at < name.size();) {
        const std::size_t from = at;
        const char32_t c = nextCharacter(name, at);
        if (c < 0x80)
            out += static_cast<char>(c >= 'a' && c <= 'z' ? c - ('a' - 'A') : c);
        else if (c >= kStrayByte)
            out += name[from];
        else
            out += QStringView(QChar::fromUcs4(QChar::toUpper(c))).toUtf8().toStdString();
    }
    return out;
}

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
    const std::u32string key = foldedName(name);
    std::optional<std::string> found;
    forEachFile(folder, [&](const std::string& candidate) {
        if (foldsTo(candidate, key)) {
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

FolderLookup::FolderLookup(std::string folder, Listing listing) : folder_(std::move(folder)), listing_(listing)
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
    byFoldedName_.clear();
    forEachFile(folder_, [&](const std::string& name) {
        byFoldedName_.try_emplace(foldedName(name), name);
        return true;
    });
    listed_ = true;
}

std::optional<std::string> FolderLookup::findFile(const std::string& name) const
{
    if (isPlainFileHere(name))
        return joinPath(folder_, name);
    const std::u32string key = foldedName(name);
    const auto inTable = [&]() -> std::optional<std::string> {
        const auto it = byFoldedName_.find(key);
        if (it != byFoldedName_.end() && isPlainFileHere(it->second))
            return joinPath(folder_, it->second);
        return std::nullopt;
    };
    if (listed_) {
        if (auto found = inTable())
            return found;
        if (listing_ == Listing::Once)
            return std::nullopt;
    }
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
    return matchesFolded(foldedName(name), foldedName(pattern));
}

std::vector<std::string> listFiles(const std::string& folder, const std::string& pattern, bool withHidden)
{
    const std::u32string folded = foldedName(pattern);
    std::vector<std::string> names;
    forEachFile(
        folder,
        [&](const std::string& name) {
            if (matchesFolded(foldedName(name), folded))
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
        folded_.push_back(foldedName(name));
        return true;
    });
}

std::vector<std::string> FolderListing::matching(const std::string& pattern) const
{
    const std::u32string folded = foldedName(pattern);
    std::vector<std::string> names;
    for (std::size_t i = 0; i < names_.size(); ++i)
        if (matchesFolded(folded_[i], folded))
            names.push_back(names_[i]);
    return names;
}

} // namespace vendrik
