#include "wordauto/doc/doc_recovery.h"

#include "wordauto/doc/doc_application.h"
#include "wordauto/word_error.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>

#include <pwd.h>
#include <unistd.h>

namespace wordauto {

namespace {

DOC_Application::RecoveryPrompt& recoveryPrompt()
{
    static DOC_Application::RecoveryPrompt prompt;
    return prompt;
}

// FNV-1a: stable across runs and builds, which std::hash is not bound to be.
std::string pathHash(const std::string& path)
{
    std::uint64_t h = 14695981039346656037ull;
    for (unsigned char c : path) {
        h ^= c;
        h *= 1099511628211ull;
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(h));
    return text;
}

std::string sidecarPath(const std::string& documentPath)
{
    return detail::recoveryCopyPath(documentPath) + ".path";
}

} // namespace

void DOC_Application::SetRecoveryPrompt(RecoveryPrompt prompt)
{
    recoveryPrompt() = std::move(prompt);
}

namespace detail {

namespace fs = std::filesystem;

std::string recoveryFolder()
{
    std::string base;
    if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg && *xdg == '/')
        base = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home == '/')
        base = std::string(home) + "/.cache";
    else if (const passwd* user = ::getpwuid(::getuid());
             user && user->pw_dir && *user->pw_dir == '/')
        base = std::string(user->pw_dir) + "/.cache";
    // Never a shared folder such as /tmp, where another user could put a copy in the way.
    return base.empty() ? std::string() : base + "/quarvello/recovery";
}

std::string recoveryCopyPath(const std::string& documentPath)
{
    const std::string folder = recoveryFolder();
    return folder.empty() ? std::string() : folder + "/" + pathHash(documentPath) + ".docx";
}

void writeRecoveryCopy(DocumentModel& doc)
{
    const std::string folder = recoveryFolder();
    if (folder.empty())
        throw WordError("Nessuna cartella per le copie di recupero: manca la cartella personale");
    std::error_code ec;
    fs::create_directories(folder, ec);
    // What a list holds is the user's business only.
    fs::permissions(folder, fs::perms::owner_all, fs::perm_options::replace, ec);
    // The path first: a copy is only ever taken for the document it names.
    opc::writeFileAtomically(sidecarPath(doc.path()), doc.path());
    opc::writeFileAtomically(recoveryCopyPath(doc.path()), doc.packageBytes());
    doc.ownRecoveryCopy();
}

void discardRecoveryCopy(const std::string& documentPath)
{
    if (documentPath.empty() || recoveryFolder().empty())
        return;
    std::error_code ec;
    fs::remove(recoveryCopyPath(documentPath), ec);
    fs::remove(sidecarPath(documentPath), ec);
}

std::optional<std::string> newerRecoveryCopy(const std::string& documentPath)
{
    const std::string copy = recoveryCopyPath(documentPath);
    std::error_code ec;
    if (copy.empty() || !fs::is_regular_file(copy, ec))
        return std::nullopt;
    // Another path with the same hash: not this document's copy.
    const std::string recorded = sidecarPath(documentPath);
    if (fs::file_size(recorded, ec) != documentPath.size() || ec)
        return std::nullopt;
    std::FILE* f = std::fopen(recorded.c_str(), "rb");
    if (!f)
        return std::nullopt;
    std::string text(documentPath.size(), '\0');
    const bool read = std::fread(text.data(), 1, text.size(), f) == text.size();
    std::fclose(f);
    if (!read || text != documentPath)
        return std::nullopt;
    const auto copyTime = fs::last_write_time(copy, ec);
    if (ec)
        return std::nullopt;
    const auto fileTime = fs::last_write_time(documentPath, ec);
    if (ec || copyTime <= fileTime)
        return std::nullopt;
    return copy;
}

std::shared_ptr<DocumentModel> openWithRecovery(const std::string& path, bool readOnly)
{
    auto doc = DocumentModel::open(path, readOnly);
    if (doc->readOnly())
        return doc;
    const auto copy = newerRecoveryCopy(doc->path());
    // Nobody to ask: the copy stays for an open that can ask.
    if (!copy || !recoveryPrompt())
        return doc;
    std::shared_ptr<DocumentModel> recovered;
    try {
        recovered = DocumentModel::fromPackage(opc::Package::open(*copy), doc->path(), false);
    } catch (const std::exception&) {
        // A damaged copy is no use to anyone.
        discardRecoveryCopy(doc->path());
        return doc;
    }
    if (!recoveryPrompt()(doc->name())) {
        discardRecoveryCopy(doc->path());
        return doc;
    }
    // The recovered values are unsaved work: the copy stays until they are saved or discarded.
    recovered->markChanged();
    recovered->ownRecoveryCopy();
    return recovered;
}

} // namespace detail

} // namespace wordauto
