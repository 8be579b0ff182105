#include "framework/file_copy.h"

#include "runtime/file_lookup.h"
#include "wordauto/word_error.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace framework {

namespace {

std::function<void(std::size_t)>& copyFaultHook()
{
    static std::function<void(std::size_t)> hook;
    return hook;
}

std::string folderOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

void syncFolder(const std::string& folder)
{
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Gives `from` the name `to` unless `to` exists; errno set on failure (EEXIST when taken).
bool renameNoReplace(const std::string& from, const std::string& to)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // A file system without that flag: a hard link is just as unwilling to replace.
    if (::link(from.c_str(), to.c_str()) != 0)
        return false;
    ::unlink(from.c_str());
    return true;
}

// Writes everything `in` holds to `out`; false with the cause.
bool pump(int in, int out, std::string& cause)
{
    std::vector<char> buffer(1 << 16);
    std::size_t written = 0;
    const auto& hook = copyFaultHook();
    try {
        for (;;) {
            if (hook)
                hook(written);
            const ssize_t n = ::read(in, buffer.data(), buffer.size());
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                cause = wordauto::systemErrorText(errno);
                return false;
            }
            if (n == 0)
                return true;
            for (ssize_t done = 0; done < n;) {
                const ssize_t w = ::write(out, buffer.data() + done, static_cast<std::size_t>(n - done));
                if (w < 0) {
                    if (errno == EINTR)
                        continue;
                    cause = wordauto::systemErrorText(errno);
                    return false;
                }
                done += w;
            }
            written += static_cast<std::size_t>(n);
        }
    } catch (...) {
        cause = "copia interrotta";
        return false;
    }
}

} // namespace

void setCopyFaultHook(std::function<void(std::size_t bytesWritten)> hook)
{
    copyFaultHook() = std::move(hook);
}

CopyResult copyFileNoReplace(const std::string& source, const std::string& folder, const std::string& name,
                             const vendrik::FolderLookup* listed)
{
    CopyResult result;
    result.target = vendrik::joinPath(folder, name);
    if (name.empty() || name.find('/') != std::string::npos) {
        result.cause = "nome non valido"; // a copy never leaves its folder
        return result;
    }
    if (const auto existing = listed ? listed->findFile(name) : vendrik::findFile(folder, name)) {
        result.outcome = CopyOutcome::TargetExists;
        result.target = *existing;
        return result;
    }
    const int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    struct stat st {};
    if (in < 0 || ::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
        result.cause = in < 0 ? wordauto::systemErrorText(errno) : "non è un file";
        if (in >= 0)
            ::close(in);
        return result;
    }
    // Hidden, and no list number at its start: no listing of the dossier takes it for a list.
    std::string tmp = vendrik::joinPath(folder, ".~" + name + ".XXXXXX");
    const int out = ::mkostemp(tmp.data(), O_CLOEXEC);
    if (out < 0) {
        result.cause = wordauto::systemErrorText(errno);
        ::close(in);
        return result;
    }
    bool ok = pump(in, out, result.cause);
    ::close(in);
    if (ok && ::fchmod(out, 0644) != 0)
        ok = (result.cause = wordauto::systemErrorText(errno), false);
    if (ok && ::fsync(out) != 0)
        ok = (result.cause = wordauto::systemErrorText(errno), false);
    if (::close(out) != 0 && ok)
        ok = (result.cause = wordauto::systemErrorText(errno), false);
    if (ok && !renameNoReplace(tmp, result.target)) {
        if (errno == EEXIST) {
            // Someone else put it there meanwhile: theirs stays.
            ::unlink(tmp.c_str());
            result.outcome = CopyOutcome::TargetExists;
            return result;
        }
        ok = (result.cause = wordauto::systemErrorText(errno), false);
    }
    if (!ok) {
        ::unlink(tmp.c_str());
        return result;
    }
    syncFolder(folder);
    result.outcome = CopyOutcome::Copied;
    return result;
}

bool removeFile(const std::string& path, std::string* cause)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) {
        if (cause)
            *cause = S_ISDIR(st.st_mode) ? "è una cartella" : wordauto::systemErrorText(errno);
        return false;
    }
    if (::unlink(path.c_str()) != 0) {
        if (cause)
            *cause = wordauto::systemErrorText(errno);
        return false;
    }
    syncFolder(folderOf(path));
    return true;
}

} // namespace framework
