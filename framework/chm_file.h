#pragma once

#include "framework/chm_sitemap.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

struct chmFile;

namespace framework {

// A help file that cannot be used; what() is the Italian message for the user, naming the file.
class ChmError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A Compiled HTML Help file, read with chmlib.
//
// chmlib trusts the file: it follows directory links without end, sizes buffers from header
// fields and decodes by tables it never checks. So the whole file is first read into memory
// (bounded), its directory and compression tables are checked here, and chmlib is handed
// exactly the bytes that passed, through an anonymous in-memory file.
class ChmFile {
public:
    static constexpr qint64 kMaxFileSize = 32 * 1024 * 1024;
    static constexpr qint64 kMaxObjectSize = 4 * 1024 * 1024;

    // Throws ChmError when the file is missing, too big, or not a sound help file.
    static std::unique_ptr<ChmFile> open(const QString& path);
    // The same on bytes already read; `name` is the file named in messages.
    static std::unique_ptr<ChmFile> fromBytes(const QByteArray& bytes, const QString& name);

    ~ChmFile();
    ChmFile(const ChmFile&) = delete;
    ChmFile& operator=(const ChmFile&) = delete;

    const QString& name() const { return name_; }
    // Paths inside the file begin with '/' and are matched without regard to case.
    bool contains(const QString& path) const;
    // The object at `path`, whole; nothing when it is absent, longer than `maxBytes` or cannot
    // be decoded.
    std::optional<QByteArray> read(const QString& path, qint64 maxBytes = kMaxObjectSize) const;

    // The table of contents and the keyword index (empty when the file has none).
    const std::vector<SitemapEntry>& contents() const { return contents_; }
    const std::vector<SitemapEntry>& keywords() const { return keywords_; }
    // The page of the topic `name`: the keyword index first, then the table of contents.
    std::optional<QString> findTopic(const QString& name) const;

    struct Entry {
        QString path;
        int space = 0; // 0 stored, 1 compressed
        std::uint64_t start = 0;
        std::uint64_t length = 0;
    };

private:
    ChmFile() = default;
    void loadSitemaps();

    QString name_;
    chmFile* handle_ = nullptr;
    std::vector<Entry> entries_;
    QHash<QString, std::size_t> byPath_; // lower-case path -> entries_
    std::vector<SitemapEntry> contents_;
    std::vector<SitemapEntry> keywords_;
};

} // namespace framework
