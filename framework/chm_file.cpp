// Compiled HTML Help files: the checks that come before chmlib, and the reads through it.
#include "framework/chm_file.h"

#include "framework/chm_layout.h"

#include <chm_lib.h>

#include <QFile>
#include <QFileInfo>

#include <sys/mman.h>
#include <unistd.h>

#include <string>

namespace framework {

namespace {

[[noreturn]] void fail(const QString& name, const QString& why)
{
    throw ChmError(QStringLiteral("Il file della guida \"%1\" non può essere usato: %2.")
                       .arg(name, why)
                       .toStdString());
}

// An anonymous in-memory file holding `bytes`, for chmlib, which only opens files by name.
class MemoryFile {
public:
    explicit MemoryFile(const QByteArray& bytes) : fd_(memfd_create("help", MFD_CLOEXEC))
    {
        qsizetype done = 0;
        while (fd_ >= 0 && done < bytes.size()) {
            const ssize_t n = ::write(fd_, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
            if (n <= 0) {
                ::close(fd_);
                fd_ = -1;
            } else {
                done += n;
            }
        }
    }
    ~MemoryFile()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    bool valid() const { return fd_ >= 0; }
    std::string path() const { return "/proc/self/fd/" + std::to_string(fd_); }

private:
    int fd_;
};

} // namespace

std::unique_ptr<ChmFile> ChmFile::open(const QString& path)
{
    // Only a plain file: a pipe or a device under that name would block or never end.
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        fail(path, QStringLiteral("non si trova o non si può leggere"));
    if (file.size() > kMaxFileSize)
        fail(path, QStringLiteral("è troppo grande (più di %1 MB)").arg(kMaxFileSize / (1024 * 1024)));
    const QByteArray bytes = file.read(kMaxFileSize + 1);
    if (bytes.size() > kMaxFileSize || bytes.size() != file.size())
        fail(path, QStringLiteral("non si può leggere per intero"));
    return fromBytes(bytes, path);
}

std::unique_ptr<ChmFile> ChmFile::fromBytes(const QByteArray& bytes, const QString& name)
{
    if (bytes.size() > kMaxFileSize)
        fail(name, QStringLiteral("è troppo grande"));
    std::unique_ptr<ChmFile> chm(new ChmFile);
    chm->name_ = name;
    const chmlayout::Result layout = chmlayout::check(
        reinterpret_cast<const unsigned char*>(bytes.constData()), static_cast<std::size_t>(bytes.size()));
    if (!layout.error.empty())
        fail(name, QString::fromStdString(layout.error));
    for (const auto& e : layout.entries) {
        Entry entry{QString::fromUtf8(e.path), e.space, e.start, e.length};
        chm->byPath_.insert(entry.path.toLower(), chm->entries_.size());
        chm->entries_.push_back(std::move(entry));
    }

    const MemoryFile memory(bytes);
    if (!memory.valid())
        fail(name, QStringLiteral("manca la memoria per leggerlo"));
    chm->handle_ = chm_open(memory.path().c_str());
    if (!chm->handle_)
        fail(name, QStringLiteral("non è un file di guida HTML compilata"));
    chm->loadSitemaps();
    return chm;
}

ChmFile::~ChmFile()
{
    if (handle_)
        chm_close(handle_);
}

bool ChmFile::contains(const QString& path) const { return byPath_.contains(path.toLower()); }

std::optional<QByteArray> ChmFile::read(const QString& path, qint64 maxBytes) const
{
    const auto at = byPath_.constFind(path.toLower());
    if (at == byPath_.cend())
        return std::nullopt;
    const Entry& entry = entries_[*at];
    if (entry.length > static_cast<std::uint64_t>(std::min(maxBytes, kMaxObjectSize)))
        return std::nullopt;
    // chmlib looks the object up by itself; what it finds must be the entry checked above.
    chmUnitInfo unit{};
    const QByteArray utf8 = entry.path.toUtf8();
    if (chm_resolve_object(handle_, utf8.constData(), &unit) != CHM_RESOLVE_SUCCESS ||
        unit.space != entry.space || unit.start != entry.start || unit.length != entry.length)
        return std::nullopt;
    QByteArray data(static_cast<qsizetype>(entry.length), Qt::Uninitialized);
    if (entry.length == 0)
        return data;
    const LONGINT64 got = chm_retrieve_object(handle_, &unit, reinterpret_cast<unsigned char*>(data.data()),
                                              0, static_cast<LONGINT64>(entry.length));
    if (got != static_cast<LONGINT64>(entry.length))
        return std::nullopt;
    return data;
}

void ChmFile::loadSitemaps()
{
    // The compiler stores the project's contents and index pages under their own names.
    const auto firstEnding = [this](const QString& suffix) -> const Entry* {
        for (const auto& e : entries_)
            if (e.path.endsWith(suffix, Qt::CaseInsensitive))
                return &e;
        return nullptr;
    };
    if (const Entry* toc = firstEnding(QStringLiteral(".hhc")))
        if (const auto bytes = read(toc->path))
            contents_ = parseSitemap(decodeHelpPage(*bytes));
    if (const Entry* index = firstEnding(QStringLiteral(".hhk")))
        if (const auto bytes = read(index->path))
            keywords_ = parseSitemap(decodeHelpPage(*bytes));
}

std::optional<QString> ChmFile::findTopic(const QString& name) const
{
    for (const auto* list : {&keywords_, &contents_})
        for (const auto& e : *list)
            if (!e.local.isEmpty() && e.name.compare(name, Qt::CaseInsensitive) == 0)
                return e.local;
    return std::nullopt;
}

} // namespace framework
