#include "wordauto/opc/package.h"

#include "wordauto/keyed_hash.h"
#include "wordauto/opc/relationships_memo.h"
#include "wordauto/word_error.h"
#include "wordauto/oxml/xml_markup.h"
#include "wordauto/oxml/xml_text.h"
#include "wordauto/oxml/xml_util.h"
#include "wordauto/oxml/xml_tree_check.h"

#include <pugixml.hpp>
#include <zip.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <ctime>
#include <deque>
#include <fstream>
#include <sstream>
#include <unordered_map>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace wordauto::opc {

namespace {

constexpr const char* kContentTypesPart = "[Content_Types].xml";
constexpr const char* kContentTypesNs =
    "http://schemas.openxmlformats.org/package/2006/content-types";
constexpr const char* kRelationshipsNs =
    "http://schemas.openxmlformats.org/package/2006/relationships";

// A fixed DOS-epoch time for parts we write, so the same content gives the same file.
constexpr std::time_t kPartTime = 315532800; // 1980-01-01

std::string lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

std::string extensionOf(const std::string& partName)
{
    const auto slash = partName.find_last_of('/');
    const auto dot = partName.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    return lower(partName.substr(dot + 1));
}

std::string relsPartFor(const std::string& sourcePart)
{
    if (sourcePart.empty())
        return "_rels/.rels";
    const auto slash = sourcePart.find_last_of('/');
    const std::string dir = slash == std::string::npos ? "" : sourcePart.substr(0, slash + 1);
    const std::string file = slash == std::string::npos ? sourcePart : sourcePart.substr(slash + 1);
    return dir + "_rels/" + file + ".rels";
}

struct ZipCloser {
    void operator()(zip_t* z) const
    {
        if (z)
            zip_discard(z);
    }
};
using ZipPtr = std::unique_ptr<zip_t, ZipCloser>;

std::string xmlToString(const pugi::xml_document& doc)
{
    std::ostringstream out;
    doc.save(out, "", pugi::format_raw, pugi::encoding_utf8);
    return out.str();
}

} // namespace

std::string absolutePartName(const std::string& partName)
{
    std::string out;
    out.reserve(partName.size() + 1);
    out.push_back('/');
    out.append(partName);
    return out;
}

struct Package::Impl {
    struct Entry {
        std::string name;
        std::optional<zip_uint64_t> zipIndex; // set while the part is the original one
        mutable std::optional<std::string> content;
        mutable bool verified = false; // inflated once whole: its data and CRC are sound
        bool modified = false;
    };

    Limits limits;
    std::string displayPath;
    std::string original;                    // the file's bytes, backing `reader`
    ZipPtr reader;
    std::vector<Entry> entries;              // package order
    std::unordered_map<std::string, std::size_t, detail::KeyedNameHash> byLowerName;
    mutable std::size_t inflatedTotal = 0;

    pugi::xml_document contentTypes;

    Entry* find(const std::string& name)
    {
        auto it = byLowerName.find(lower(name));
        return it == byLowerName.end() ? nullptr : &entries[it->second];
    }
    const Entry* find(const std::string& name) const
    {
        return const_cast<Impl*>(this)->find(name);
    }

    void reindex()
    {
        byLowerName.clear();
        for (std::size_t i = 0; i < entries.size(); ++i)
            byLowerName.emplace(lower(entries[i].name), i);
    }

    [[noreturn]] void damaged(const std::string& what) const
    {
        throwFileError("Il documento è danneggiato (" + what + ")", displayPath);
    }

    const std::string& inflate(const Entry& e) const
    {
        if (e.content)
            return *e.content;
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat_index(reader.get(), *e.zipIndex, 0, &st) != 0)
            damaged("parte " + e.name + " illeggibile");
        if ((st.valid & ZIP_STAT_SIZE) && st.size > limits.maxPartBytes)
            throwFileError("Il documento contiene una parte troppo grande (" + e.name + ")",
                           displayPath);
        zip_file_t* zf = zip_fopen_index(reader.get(), *e.zipIndex, 0);
        if (!zf)
            damaged("parte " + e.name + " illeggibile");
        std::string data;
        if (st.valid & ZIP_STAT_SIZE)
            data.reserve(static_cast<std::size_t>(st.size));
        char buf[65536];
        for (;;) {
            const zip_int64_t n = zip_fread(zf, buf, sizeof buf);
            if (n < 0) {
                zip_fclose(zf);
                damaged("parte " + e.name + " illeggibile");
            }
            if (n == 0)
                break;
            // The declared size may lie: the bound is kept on what actually inflates.
            if (data.size() + static_cast<std::size_t>(n) > limits.maxPartBytes) {
                zip_fclose(zf);
                throwFileError("Il documento contiene una parte troppo grande (" + e.name + ")",
                               displayPath);
            }
            if (inflatedTotal + data.size() + static_cast<std::size_t>(n) > limits.maxTotalBytes) {
                zip_fclose(zf);
                throwFileError("Il documento supera la dimensione massima consentita",
                               displayPath);
            }
            data.append(buf, static_cast<std::size_t>(n));
        }
        if (zip_fclose(zf) != 0)
            damaged("parte " + e.name + " non valida");
        inflatedTotal += data.size();
        e.verified = true;
        e.content = std::move(data);
        return *e.content;
    }

    // An XML part a conforming reader might not read as it is stored, written anew from its
    // parsed tree; nothing for a part that can be copied as it is. Throws when neither can.
    std::optional<std::string> writtenAnew(const Entry& e) const
    {
        std::string converted;
        const std::string& stored = inflate(e);
        const std::string_view text = detail::utf8PartText(stored, converted, e.name, displayPath);
        return detail::xmlPartWrittenAnew(text, text.data() != stored.data(), e.name, displayPath);
    }

    // A part copied into a saved file as it is stored must be sound: read through, it checks
    // its compressed data and its CRC. Throws WordError naming the part.
    void verifyStored(const Entry& e) const
    {
        if (e.verified)
            return;
        auto damagedPart = [&] {
            throwFileError("Il documento è danneggiato (parte " + e.name
                               + " illeggibile): impossibile salvarlo",
                           displayPath);
        };
        zip_file_t* zf = zip_fopen_index(reader.get(), *e.zipIndex, 0);
        if (!zf)
            damagedPart();
        char buf[65536];
        std::size_t total = 0;
        zip_int64_t n;
        while ((n = zip_fread(zf, buf, sizeof buf)) > 0 && total <= limits.maxPartBytes)
            total += static_cast<std::size_t>(n);
        if (zip_fclose(zf) != 0 || n != 0)
            damagedPart();
        e.verified = true;
    }

    // The part as the zip stores it, for parts small enough to be worth comparing whole;
    // nothing for parts set since or that cannot be read so (the normal read says why).
    std::optional<StoredPart> stored(const Entry& e) const
    {
        constexpr zip_uint64_t kLargestCompared = 64 * 1024;
        if (!e.zipIndex || e.modified)
            return std::nullopt;
        zip_stat_t st;
        zip_stat_init(&st);
        constexpr auto kNeeded = ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_CRC | ZIP_STAT_COMP_METHOD;
        if (zip_stat_index(reader.get(), *e.zipIndex, 0, &st) != 0 || (st.valid & kNeeded) != kNeeded
            || st.comp_size > kLargestCompared)
            return std::nullopt;
        zip_file_t* zf = zip_fopen_index(reader.get(), *e.zipIndex, ZIP_FL_COMPRESSED);
        if (!zf)
            return std::nullopt;
        StoredPart part;
        part.compressed.resize(static_cast<std::size_t>(st.comp_size));
        const zip_int64_t n = zip_fread(zf, part.compressed.data(), st.comp_size);
        const bool whole = zip_fclose(zf) == 0 && n == static_cast<zip_int64_t>(st.comp_size);
        if (!whole)
            return std::nullopt;
        part.crc = st.crc;
        part.method = st.comp_method;
        part.size = st.size;
        return part;
    }

    // The part's text as UTF-8, once it is known to be text that XML allows; `sound` tells whether the tree
    // parsed from it needs no check of its own.
    std::string_view checkedXml(const std::string& xml, const std::string& partName,
                                std::string& converted, bool& sound) const
    {
        const std::string_view utf8 = detail::utf8PartText(xml, converted, partName, displayPath);
        sound = detail::checkXmlBeforeParse(utf8, partName, displayPath);
        return utf8;
    }

    void loadContentTypes()
    {
        const Entry* e = find(kContentTypesPart);
        if (!e)
            throwFileError("Il file non è un documento Word (manca l'elenco dei tipi di contenuto)",
                           displayPath);
        std::string converted;
        bool sound = false;
        const std::string_view xml = checkedXml(inflate(*e), kContentTypesPart, converted, sound);
        if (!contentTypes.load_buffer(xml.data(), xml.size(), pugi::parse_default,
                                      pugi::encoding_utf8)
            || !contentTypes.child("Types"))
            damaged("elenco dei tipi di contenuto non valido");
        if (!sound)
            detail::checkXmlTree(contentTypes, kContentTypesPart, displayPath);
    }

    void storeContentTypes()
    {
        setContent(kContentTypesPart, xmlToString(contentTypes));
    }

    void setContent(const std::string& name, std::string content)
    {
        if (Entry* e = find(name)) {
            e->content = std::move(content);
            e->modified = true;
            return;
        }
        Entry e;
        e.name = name;
        e.content = std::move(content);
        e.modified = true;
        entries.push_back(std::move(e));
        byLowerName.emplace(lower(name), entries.size() - 1);
    }
};

Package::Package(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Package::Package(Package&&) noexcept = default;
Package& Package::operator=(Package&&) noexcept = default;
Package::~Package() = default;

Package Package::open(const std::string& path, const Limits& limits)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            throwFileError("Il file non esiste", path);
        throwFileError("Impossibile leggere il file (" + systemErrorText(errno) + ")", path);
    }
    if (S_ISDIR(st.st_mode))
        throwFileError("Il percorso indica una cartella, non un documento", path);
    // A FIFO or a device would block the read or never end it: only regular files are read,
    // and the type is checked again on what was opened, without waiting for a writer.
    auto notRegular = [&] {
        throwFileError("Il percorso non indica un documento ma un file speciale (FIFO, dispositivo "
                       "o socket)",
                       path);
    };
    if (!S_ISREG(st.st_mode))
        notRegular();
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        throwFileError("Impossibile leggere il file (" + systemErrorText(errno) + ")", path);
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    if (::fstat(fd, &st) != 0)
        throwFileError("Impossibile leggere il file (" + systemErrorText(errno) + ")", path);
    if (!S_ISREG(st.st_mode))
        notRegular();
    if (static_cast<std::size_t>(st.st_size) > limits.maxFileBytes)
        throwFileError("Il file supera la dimensione massima consentita", path);
    std::string bytes(static_cast<std::size_t>(st.st_size), '\0');
    std::size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throwFileError("Impossibile leggere il file (" + systemErrorText(errno) + ")", path);
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    if (got != bytes.size())
        throwFileError("Impossibile leggere il file (il file è cambiato durante la lettura)", path);
    return fromBytes(std::move(bytes), path, limits);
}

void Package::setLimits(const Limits& limits) { impl_->limits = limits; }

Package Package::fromBytes(std::string bytes, const std::string& displayPath, const Limits& limits)
{
    static const unsigned char ole2[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    if (bytes.size() >= sizeof ole2 && std::memcmp(bytes.data(), ole2, sizeof ole2) == 0)
        throwFileError("Il file è un documento Word 97-2003 (formato binario), non supportato: "
                       "salvarlo in formato Word (.docx)",
                       displayPath);
    if (bytes.size() < 4 || bytes.compare(0, 2, "PK") != 0)
        throwFileError("Il file non è un documento Word (formato non riconosciuto)", displayPath);
    if (bytes.size() > limits.maxFileBytes)
        throwFileError("Il file supera la dimensione massima consentita", displayPath);

    auto impl = std::make_unique<Impl>();
    impl->limits = limits;
    impl->displayPath = displayPath;
    impl->original = std::move(bytes);

    zip_error_t err;
    zip_error_init(&err);
    zip_source_t* src =
        zip_source_buffer_create(impl->original.data(), impl->original.size(), 0, &err);
    if (!src)
        throw std::bad_alloc();
    zip_t* z = zip_open_from_source(src, ZIP_RDONLY, &err);
    if (!z) {
        zip_source_free(src);
        zip_error_fini(&err);
        impl->damaged("archivio non valido");
    }
    impl->reader.reset(z);

    const zip_int64_t count = zip_get_num_entries(z, 0);
    if (count < 0 || static_cast<std::uint64_t>(count) > limits.maxParts)
        impl->damaged("troppe parti");
    std::size_t declaredTotal = 0;
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t zs;
        zip_stat_init(&zs);
        if (zip_stat_index(z, static_cast<zip_uint64_t>(i), 0, &zs) != 0 || !(zs.valid & ZIP_STAT_NAME))
            impl->damaged("voce dell'archivio illeggibile");
        if ((zs.valid & ZIP_STAT_ENCRYPTION_METHOD) && zs.encryption_method != ZIP_EM_NONE)
            throwFileError("Il documento è cifrato e non può essere aperto", displayPath);
        std::string name = zs.name;
        if (name.empty() || name.back() == '/')
            continue; // folder entries written by some zip tools
        if (zs.valid & ZIP_STAT_SIZE) {
            if (zs.size > limits.maxPartBytes)
                throwFileError("Il documento contiene una parte troppo grande (" + name + ")",
                               displayPath);
            declaredTotal += static_cast<std::size_t>(zs.size);
            if (declaredTotal > limits.maxTotalBytes)
                throwFileError("Il documento supera la dimensione massima consentita", displayPath);
        }
        if (impl->find(name))
            impl->damaged("parte " + name + " ripetuta");
        Impl::Entry e;
        e.name = std::move(name);
        e.zipIndex = static_cast<zip_uint64_t>(i);
        impl->entries.push_back(std::move(e));
        impl->byLowerName.emplace(lower(impl->entries.back().name), impl->entries.size() - 1);
    }
    impl->loadContentTypes();
    return Package(std::move(impl));
}

Package Package::createEmpty()
{
    auto impl = std::make_unique<Impl>();
    impl->displayPath = "";
    auto types = impl->contentTypes.append_child("Types");
    types.append_attribute("xmlns") = kContentTypesNs;
    auto d1 = types.append_child("Default");
    d1.append_attribute("Extension") = "rels";
    d1.append_attribute("ContentType") = "application/vnd.openxmlformats-package.relationships+xml";
    auto d2 = types.append_child("Default");
    d2.append_attribute("Extension") = "xml";
    d2.append_attribute("ContentType") = "application/xml";
    auto decl = impl->contentTypes.prepend_child(pugi::node_declaration);
    decl.append_attribute("version") = "1.0";
    decl.append_attribute("encoding") = "UTF-8";
    decl.append_attribute("standalone") = "yes";
    impl->storeContentTypes();
    return Package(std::move(impl));
}

bool Package::hasPart(const std::string& name) const { return impl_->find(name) != nullptr; }

const std::string& Package::part(const std::string& name) const
{
    const Impl::Entry* e = impl_->find(name);
    if (!e)
        impl_->damaged("manca la parte " + name);
    return impl_->inflate(*e);
}

std::string Package::takePart(const std::string& name)
{
    Impl::Entry* e = impl_->find(name);
    if (!e)
        impl_->damaged("manca la parte " + name);
    impl_->inflate(*e);
    std::string content = std::move(*e->content);
    if (e->zipIndex && !e->modified)
        e->content.reset();
    else
        e->content = content; // a part made here has no other copy
    return content;
}

void Package::setPart(const std::string& name, std::string content)
{
    impl_->setContent(name, std::move(content));
    if (lower(name) == lower(kContentTypesPart)) {
        const std::string& xml = *impl_->find(name)->content;
        impl_->contentTypes.load_buffer(xml.data(), xml.size());
    }
}

void Package::removePart(const std::string& name)
{
    auto it = impl_->byLowerName.find(lower(name));
    if (it == impl_->byLowerName.end())
        return;
    impl_->entries.erase(impl_->entries.begin() + static_cast<std::ptrdiff_t>(it->second));
    impl_->reindex();
    auto types = impl_->contentTypes.child("Types");
    for (auto o = types.child("Override"); o;) {
        auto next = o.next_sibling("Override");
        if (lower(o.attribute("PartName").value()) == absolutePartName(lower(name)))
            types.remove_child(o);
        o = next;
    }
    impl_->storeContentTypes();
}

std::vector<std::string> Package::partNames() const
{
    std::vector<std::string> names;
    names.reserve(impl_->entries.size());
    for (const auto& e : impl_->entries)
        names.push_back(e.name);
    return names;
}

bool Package::isModified(const std::string& name) const
{
    const Impl::Entry* e = impl_->find(name);
    return e && e->modified;
}

std::string Package::contentType(const std::string& partName) const
{
    auto types = impl_->contentTypes.child("Types");
    const std::string wanted = absolutePartName(lower(partName));
    for (auto o : types.children("Override"))
        if (lower(o.attribute("PartName").value()) == wanted)
            return o.attribute("ContentType").value();
    const std::string ext = extensionOf(partName);
    for (auto d : types.children("Default"))
        if (lower(d.attribute("Extension").value()) == ext)
            return d.attribute("ContentType").value();
    return {};
}

void Package::setOverride(const std::string& partName, const std::string& contentType)
{
    auto types = impl_->contentTypes.child("Types");
    const std::string wanted = absolutePartName(lower(partName));
    for (auto o : types.children("Override")) {
        if (lower(o.attribute("PartName").value()) == wanted) {
            o.attribute("ContentType").set_value(contentType.c_str());
            impl_->storeContentTypes();
            return;
        }
    }
    auto o = types.append_child("Override");
    o.append_attribute("PartName") = absolutePartName(partName).c_str();
    o.append_attribute("ContentType") = contentType.c_str();
    impl_->storeContentTypes();
}

std::vector<Relationship> Package::relationships(const std::string& sourcePart) const
{
    std::vector<Relationship> rels;
    const std::string relsName = relsPartFor(sourcePart);
    const Impl::Entry* entry = impl_->find(relsName);
    if (!entry)
        return rels;
    auto stored = entry->content ? std::nullopt : impl_->stored(*entry);
    if (stored)
        if (auto known = rememberedRelationships(*stored))
            return std::move(*known);
    std::string converted;
    bool sound = false;
    const std::string_view xml = impl_->checkedXml(impl_->inflate(*entry), relsName, converted, sound);
    pugi::xml_document doc;
    if (!doc.load_buffer(xml.data(), xml.size(), pugi::parse_default, pugi::encoding_utf8))
        impl_->damaged("relazioni di " + (sourcePart.empty() ? std::string("pacchetto") : sourcePart)
                       + " non valide");
    if (!sound)
        detail::checkXmlTree(doc, relsName, impl_->displayPath);
    for (auto r : doc.child("Relationships").children("Relationship")) {
        Relationship rel;
        rel.id = r.attribute("Id").value();
        rel.type = r.attribute("Type").value();
        rel.target = r.attribute("Target").value();
        rel.external = std::string_view(r.attribute("TargetMode").value()) == "External";
        rels.push_back(std::move(rel));
    }
    if (stored)
        rememberRelationships(std::move(*stored), rels);
    return rels;
}

void Package::setRelationships(const std::string& sourcePart, const std::vector<Relationship>& rels)
{
    pugi::xml_document doc;
    auto decl = doc.append_child(pugi::node_declaration);
    decl.append_attribute("version") = "1.0";
    decl.append_attribute("encoding") = "UTF-8";
    decl.append_attribute("standalone") = "yes";
    auto root = doc.append_child("Relationships");
    root.append_attribute("xmlns") = kRelationshipsNs;
    for (const auto& rel : rels) {
        auto r = root.append_child("Relationship");
        r.append_attribute("Id") = rel.id.c_str();
        r.append_attribute("Type") = rel.type.c_str();
        r.append_attribute("Target") = rel.target.c_str();
        if (rel.external)
            r.append_attribute("TargetMode") = "External";
    }
    impl_->setContent(relsPartFor(sourcePart), xmlToString(doc));
}

std::string Package::resolveTarget(const std::string& sourcePart, const std::string& target)
{
    std::string joined;
    if (!target.empty() && target.front() == '/') {
        joined = target.substr(1);
    } else {
        const auto slash = sourcePart.find_last_of('/');
        joined = (slash == std::string::npos ? std::string() : sourcePart.substr(0, slash + 1)) + target;
    }
    std::vector<std::string> segments;
    std::size_t start = 0;
    while (start <= joined.size()) {
        const auto end = joined.find('/', start);
        const std::string seg =
            joined.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (seg == "..") {
            if (!segments.empty())
                segments.pop_back();
        } else if (!seg.empty() && seg != ".") {
            segments.push_back(seg);
        }
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    std::string out;
    for (const auto& s : segments) {
        if (!out.empty())
            out += '/';
        out += s;
    }
    return out;
}

std::optional<std::string> Package::relatedPart(const std::string& sourcePart,
                                                const std::string& type) const
{
    for (const auto& rel : relationships(sourcePart))
        if (!rel.external && rel.type == type)
            return resolveTarget(sourcePart, rel.target);
    return std::nullopt;
}

std::string Package::toBytes() const
{
    for (const auto& e : impl_->entries)
        if (!e.modified && e.zipIndex)
            impl_->verifyStored(e);
    // Decided before the zip is made, as it may refuse the save: XML parts a conforming reader
    // might not read as they are stored are written anew.
    std::deque<std::string> rewritten;
    std::vector<const std::string*> anew(impl_->entries.size(), nullptr);
    for (std::size_t i = 0; i < impl_->entries.size(); ++i) {
        const auto& e = impl_->entries[i];
        if (!e.modified && e.zipIndex && detail::isXmlPart(e.name, contentType(e.name)))
            if (auto text = impl_->writtenAnew(e))
                anew[i] = &rewritten.emplace_back(std::move(*text));
    }
    zip_error_t err;
    zip_error_init(&err);
    zip_source_t* out = zip_source_buffer_create(nullptr, 0, 0, &err);
    if (!out)
        throw std::bad_alloc();
    zip_source_keep(out);
    zip_t* z = zip_open_from_source(out, ZIP_TRUNCATE, &err);
    if (!z) {
        zip_source_free(out);
        throw WordError("Impossibile preparare il documento per il salvataggio");
    }
    auto fail = [&](const std::string& what) {
        zip_discard(z);
        zip_source_free(out);
        throw WordError("Impossibile preparare il documento per il salvataggio (" + what + ")");
    };
    for (std::size_t i = 0; i < impl_->entries.size(); ++i) {
        const auto& e = impl_->entries[i];
        zip_source_t* s = nullptr;
        const std::string* data = anew[i]; // null: the stored bytes are copied
        if (e.modified || !e.zipIndex)
            data = e.content ? &*e.content : &impl_->inflate(e);
        const bool copyRaw = !data;
        if (copyRaw)
            s = zip_source_zip(z, impl_->reader.get(), *e.zipIndex, 0, 0, -1);
        else
            s = zip_source_buffer(z, data->data(), data->size(), 0);
        if (!s)
            fail(e.name);
        const zip_int64_t idx = zip_file_add(z, e.name.c_str(), s, ZIP_FL_ENC_UTF_8);
        if (idx < 0) {
            zip_source_free(s);
            fail(e.name);
        }
        if (!copyRaw) {
            // Fast compression: parts written here are rewritten often (result documents) and stay small.
            zip_set_file_compression(z, static_cast<zip_uint64_t>(idx), ZIP_CM_DEFLATE, 1);
            zip_file_set_mtime(z, static_cast<zip_uint64_t>(idx), kPartTime, 0);
        }
    }
    if (zip_close(z) != 0)
        fail("compressione non riuscita");

    std::string bytes;
    bool ok = zip_source_open(out) == 0;
    if (ok) {
        ok = zip_source_seek(out, 0, SEEK_END) == 0;
        const zip_int64_t size = ok ? zip_source_tell(out) : -1;
        ok = ok && size >= 0 && zip_source_seek(out, 0, SEEK_SET) == 0;
        if (ok) {
            bytes.resize(static_cast<std::size_t>(size));
            ok = zip_source_read(out, bytes.data(), bytes.size()) == size;
        }
        zip_source_close(out);
    }
    zip_source_free(out);
    if (!ok)
        throw WordError("Impossibile preparare il documento per il salvataggio");
    return bytes;
}

void Package::saveAs(const std::string& path) const { writeFileAtomically(path, toBytes()); }

const std::string& Package::displayPath() const { return impl_->displayPath; }

// ---------------------------------------------------------------------------------------------

namespace {
std::function<void(std::size_t)>& writeFaultHook()
{
    static std::function<void(std::size_t)> hook;
    return hook;
}
} // namespace

void setWriteFaultHook(std::function<void(std::size_t bytesWritten)> hook)
{
    writeFaultHook() = std::move(hook);
}

namespace {

std::string folderOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
}

// The file a save of `path` writes: the end of its chain of symbolic links, so that saving
// through a link updates the document it points to instead of replacing the link.
std::string finalPath(const std::string& path)
{
    std::string p = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(p.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return p;
        std::vector<char> buf(PATH_MAX);
        const ssize_t n = ::readlink(p.c_str(), buf.data(), buf.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= buf.size())
            throwFileError("Impossibile salvare il file (collegamento simbolico illeggibile)", path);
        std::string target(buf.data(), static_cast<std::size_t>(n));
        p = target.front() == '/' ? target : folderOf(p) + "/" + target;
    }
    throwFileError("Impossibile salvare il file (" + systemErrorText(ELOOP) + ")", path);
}

} // namespace

void writeFileAtomically(const std::string& path, const std::string& bytes)
{
    auto refuse = [&](const std::string& cause) {
        throwFileError("Impossibile salvare il file (" + cause + ")", path);
    };
    const std::string target = finalPath(path);
    const std::string dir = folderOf(target);
    const auto slash = target.find_last_of('/');
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);

    // The file is replaced only if the user may write it, as the real user with the effective
    // ids (root may write whatever its mode, as everywhere on Unix). The folder being writable
    // is not enough: renaming over a file needs only that.
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists) {
        if (S_ISDIR(old.st_mode))
            refuse(systemErrorText(EISDIR));
        if (!S_ISREG(old.st_mode))
            refuse("il percorso non indica un documento ma un file speciale");
        if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)
            refuse(errno == EACCES || errno == EPERM ? std::string("Il file è di sola lettura")
                                                     : systemErrorText(errno));
    }

    std::string tmp = dir + "/." + base + ".tmp-XXXXXX";
    const int fd = ::mkstemp(tmp.data());
    if (fd < 0)
        refuse(errno == EACCES || errno == EPERM ? "Permesso negato: la cartella non è scrivibile"
                                                 : systemErrorText(errno));

    int error = 0;
    bool interrupted = false;
    try {
        std::size_t written = 0;
        constexpr std::size_t chunk = 1 << 16;
        auto& hook = writeFaultHook();
        while (written < bytes.size()) {
            if (hook)
                hook(written);
            const std::size_t n = std::min(chunk, bytes.size() - written);
            const ssize_t w = ::write(fd, bytes.data() + written, n);
            if (w < 0) {
                if (errno == EINTR)
                    continue;
                error = errno;
                break;
            }
            written += static_cast<std::size_t>(w);
        }
        if (!error && hook)
            hook(written);
    } catch (...) {
        interrupted = true;
    }
    auto fail = [&](const std::string& cause) {
        ::close(fd);
        ::unlink(tmp.c_str());
        refuse(cause);
    };
    if (interrupted)
        fail("scrittura interrotta");
    if (error)
        fail(systemErrorText(error));

    // The new file takes the place of the old one with its permissions, and its owner and
    // group where the user may give them (a user may give a file only to its own groups).
    if (exists) {
        if ((old.st_uid != ::geteuid() || old.st_gid != ::getegid())
            && ::fchown(fd, old.st_uid, old.st_gid) != 0)
            (void)!::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
        ::fchmod(fd, old.st_mode & 07777);
    } else {
        ::fchmod(fd, 0644);
    }
    if (::fsync(fd) != 0)
        fail(systemErrorText(errno));
    if (::close(fd) != 0) {
        const int e = errno;
        ::unlink(tmp.c_str());
        refuse(systemErrorText(e));
    }
    if (::rename(tmp.c_str(), target.c_str()) != 0) {
        const int e = errno;
        ::unlink(tmp.c_str());
        refuse(systemErrorText(e));
    }
    const int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
}

} // namespace wordauto::opc
