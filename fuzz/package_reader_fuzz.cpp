// libFuzzer target for the way a document is opened: the zip package, its content types and
// relationships, the main story and the form fields and tables read from it, its layout into
// pages, then a save of the package and a second open of what was saved; then a field filled
// and the document saved, as a user fills a list; then the story inserted into a document, as a
// merge inserts each list, and the result saved and opened. Whatever a save wrote must be read
// by a conforming XML parser (libxml2), and so must every part the reading as stored takes for
// sound, whose parsed tree must pass the tree check too: the open takes such a part unchecked.
//
// WordError is the expected answer to a bad file; any other exception, a sanitizer report or
// an abort is a finding.

#include "wordauto/oxml/document_model.h"
#include "wordauto/oxml/file_insert.h"
#include "wordauto/oxml/xml_markup.h"
#include "wordauto/oxml/xml_tree_check.h"
#include "wordauto/oxml/xml_util.h"
#include "wordauto/layout/document_layout.h"
#include "wordauto/opc/package.h"
#include "wordauto/word_error.h"
#include "tests/conforming_reader.h"

#include <QGuiApplication>

#include <zip.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

using wordauto::WordError;
using wordauto::detail::DocumentModel;

constexpr std::size_t kMaxLaidOutBytes = 64u << 10;

// Small bounds: the fuzzer should find the checks, not exhaust the machine.
wordauto::opc::Limits fuzzLimits()
{
    wordauto::opc::Limits l;
    l.maxFileBytes = 1u << 20;
    l.maxPartBytes = 4u << 20;
    l.maxTotalBytes = 8u << 20;
    l.maxParts = 256;
    return l;
}

struct FieldSnapshot {
    std::string name;
    std::string result;
    bool checked;
    bool operator==(const FieldSnapshot&) const = default;
};

// What the parser of a check list reads from a document.
std::vector<FieldSnapshot> readDocument(DocumentModel& model)
{
    std::vector<FieldSnapshot> seen;
    const auto& fields = model.fields();
    for (std::size_t i = 0; i < fields.count(); ++i) {
        const auto& f = fields.at(i);
        FieldSnapshot s{f.name(), f.result(), f.checked()};
        (void)f.statusText();
        (void)f.helpText();
        // A name the index gives back must lead to a field of that name.
        const std::size_t found = fields.find(s.name);
        if (found == wordauto::detail::FormFieldIndex::npos && !s.name.empty()) {
            std::fprintf(stderr, "field \"%s\" not found by its own name\n", s.name.c_str());
            std::abort();
        }
        seen.push_back(std::move(s));
    }
    std::size_t cells = 0;
    for (const auto& table : model.topLevelTables())
        for (const auto& row : model.rowsOf(table))
            for (auto c = row.child("w:tc"); c; c = c.next_sibling("w:tc"))
                ++cells;
    (void)cells;
    // Protection and styles are read when the document is shown.
    (void)model.relatedXml(wordauto::opc::reltype::settings, false);
    (void)model.relatedXml(wordauto::opc::reltype::styles, false);
    return seen;
}

// A folder of the run's own for the files an insert reads and a save writes.
std::string g_folder;

bool writeBytes(const std::string& path, const std::uint8_t* data, std::size_t size)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}

// The document holds nothing but its own root: no part of a refused insert stays behind.
void expectOneRoot(DocumentModel& model, const char* when)
{
    int roots = 0;
    for (auto n : model.mainXml().children())
        roots += n.type() == pugi::node_element ? 1 : 0;
    if (roots != 1) {
        std::fprintf(stderr, "%d root elements %s\n", roots, when);
        std::abort();
    }
}

// The input's model, as the program would make it of a file with these bytes.
std::shared_ptr<DocumentModel> modelOf(const std::uint8_t* data, std::size_t size, bool readOnly)
{
    return DocumentModel::fromPackage(
        wordauto::opc::Package::fromBytes(std::string(reinterpret_cast<const char*>(data), size), "fuzz.docx",
                                          fuzzLimits()),
        "", readOnly);
}

// Every XML part of a saved package is read by a conforming parser: those a save wrote anew,
// and those it copied through as they were stored.
void expectConforming(const std::string& saved, const char* what)
{
    std::optional<std::string> fault;
    try {
        fault = testsupport::packageConformanceFault(saved);
    } catch (const WordError& e) {
        fault = std::string("saved package unreadable: ") + e.what();
    }
    if (fault) {
        std::fprintf(stderr, "%s wrote XML a conforming parser refuses: %s\n", what, fault->c_str());
        std::abort();
    }
}

// What the reading as stored takes for sound, without a tree, a conforming parser reads, and
// its parsed tree passes the check an open would otherwise make of it.
void expectSoundPartsSound(const std::uint8_t* data, std::size_t size)
{
    std::optional<wordauto::opc::Package> package;
    try {
        package.emplace(wordauto::opc::Package::fromBytes(std::string(reinterpret_cast<const char*>(data), size),
                                                          "fuzz.docx", fuzzLimits()));
    } catch (const WordError&) {
        return;
    }
    for (const auto& name : package->partNames()) {
        if (!testsupport::isXmlPartName(name))
            continue;
        std::string text;
        try {
            text = package->part(name);
        } catch (const WordError&) {
            continue;
        }
        if (!wordauto::detail::isSoundAsStored(text))
            continue;
        std::optional<std::string> fault = testsupport::conformanceFault(text);
        pugi::xml_document doc;
        if (!fault) {
            const auto parsed = doc.load_buffer(text.data(), text.size(), wordauto::detail::kParseOptions,
                                                pugi::encoding_utf8);
            fault = parsed ? wordauto::detail::xmlTreeFault(doc) : std::optional<std::string>(parsed.description());
        }
        if (fault) {
            std::fprintf(stderr, "%s read as sound, but: %s\n", name.c_str(), fault->c_str());
            std::abort();
        }
    }
}

// A field filled, or the story touched where there is none, and the document saved: what a
// user fills in must save, and save as sound XML.
void fillAndSave(const std::uint8_t* data, std::size_t size)
{
    std::shared_ptr<DocumentModel> model;
    try {
        model = modelOf(data, size, false);
    } catch (const WordError&) {
        std::fprintf(stderr, "a document that opened read-only does not open for filling\n");
        std::abort();
    }
    // As an open for filling does: every part the save would copy is checked first.
    try {
        model->checkEveryXmlPart();
    } catch (const WordError&) {
        return;
    }
    auto& fields = model->mutableFields();
    if (fields.count() > 0) {
        auto& f = fields.at(0);
        try {
            if (f.kind == wordauto::detail::FieldKind::CheckBox)
                f.setChecked(!f.checked());
            else
                f.setResult("Compilato \xE2\x82\xAC <&>");
        } catch (const WordError&) {
            // A field the library will not write (a text not among a list's entries, a result
            // over several paragraphs) says so; the document still saves.
        }
    }
    model->touchContent();
    std::string saved;
    try {
        saved = model->packageBytes();
    } catch (const WordError& e) {
        std::fprintf(stderr, "a filled document does not save: %s\n", e.what());
        std::abort();
    }
    expectConforming(saved, "filling a field");
}

// The input inserted into a copy of itself, as the merge inserts a list into the dossier's
// document: refused with a WordError, or the result saves and opens again.
void insertIntoItself(const std::uint8_t* data, std::size_t size)
{
    const std::string source = g_folder + "/inserito.docx";
    const std::string result = g_folder + "/fascicolo.docx";
    if (!writeBytes(source, data, size))
        return;
    std::shared_ptr<DocumentModel> target;
    try {
        target = modelOf(data, size, false);
        wordauto::detail::insertDocumentBody(*target, {}, source);
    } catch (const WordError&) {
        if (target)
            expectOneRoot(*target, "after a refused insert");
        return;
    }
    expectOneRoot(*target, "after an insert");
    try {
        target->saveAs(result);
        (void)DocumentModel::open(result, true, fuzzLimits());
    } catch (const WordError& e) {
        std::fprintf(stderr, "the document an insert made does not save and open: %s\n", e.what());
        std::abort();
    }
    std::FILE* f = std::fopen(result.c_str(), "rb");
    std::string saved;
    if (f) {
        char buffer[65536];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;)
            saved.append(buffer, n);
        std::fclose(f);
    }
    expectConforming(saved, "an insert");
}

} // namespace

// Fontconfig keeps caches of patterns for the process's life that it never frees: not ours to
// report.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

// Layout needs a GUI application for its fonts: one for the whole run, off screen, destroyed at
// exit so that its font database is released before the leak check.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static int qargc = 3;
    static char platformOption[] = "-platform";
    static char platform[] = "offscreen";
    static char* qargv[] = {(*argv)[0], platformOption, platform, nullptr};
    (void)argc;
    static QGuiApplication app(qargc, qargv);
    char folder[] = "/tmp/quarvello_fuzz_XXXXXX";
    if (::mkdtemp(folder))
        g_folder = folder;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    expectSoundPartsSound(data, size);
    std::vector<FieldSnapshot> before;
    std::string saved;
    try {
        auto package = wordauto::opc::Package::fromBytes(
            std::string(reinterpret_cast<const char*>(data), size), "fuzz.docx", fuzzLimits());
        auto model = DocumentModel::fromPackage(std::move(package), "", true);
        before = readDocument(*model);
        // Laid out as printing does; larger stories would only measure the fuzzer's patience
        // against the per-input time bound.
        if (model->mainXmlBytes() <= kMaxLaidOutBytes) {
            const auto layout = wordauto::layout::layoutDocument(*model);
            if (layout.pages.empty()) {
                std::fprintf(stderr, "a layout without pages\n");
                std::abort();
            }
        }
        saved = model->package().toBytes();
    } catch (const WordError&) {
        return 0;
    }
    expectConforming(saved, "a copy of a read-only open");

    // What the program saved it must open again, with the same fields.
    try {
        auto again = DocumentModel::fromPackage(
            wordauto::opc::Package::fromBytes(std::move(saved), "fuzz-saved.docx", fuzzLimits()),
            "", true);
        if (readDocument(*again) != before) {
            std::fprintf(stderr, "fields differ after save and reopen\n");
            std::abort();
        }
    } catch (const WordError& e) {
        std::fprintf(stderr, "saved package does not open again: %s\n", e.what());
        std::abort();
    }
    fillAndSave(data, size);
    if (!g_folder.empty())
        insertIntoItself(data, size);
    return 0;
}

// Byte mutations of a zip almost never get past the checksums, so half the time the mutator
// opens the package, mutates one part (mostly the main story) and packs it again.
extern "C" std::size_t LLVMFuzzerMutate(std::uint8_t* data, std::size_t size, std::size_t maxSize);

namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

std::optional<Entries> unpack(const std::uint8_t* data, std::size_t size)
{
    zip_error_t err;
    zip_error_init(&err);
    zip_source_t* src = zip_source_buffer_create(data, size, 0, &err);
    zip_error_fini(&err);
    if (!src)
        return std::nullopt;
    zip_t* z = zip_open_from_source(src, ZIP_RDONLY, nullptr);
    if (!z) {
        zip_source_free(src);
        return std::nullopt;
    }
    Entries entries;
    const zip_int64_t n = zip_get_num_entries(z, 0);
    bool ok = n > 0 && n < 256;
    for (zip_int64_t i = 0; ok && i < n; ++i) {
        const auto idx = static_cast<zip_uint64_t>(i);
        zip_stat_t st;
        zip_stat_init(&st);
        ok = zip_stat_index(z, idx, 0, &st) == 0 && (st.valid & ZIP_STAT_NAME)
             && (st.valid & ZIP_STAT_SIZE) && st.size < (1u << 20);
        zip_file_t* f = ok ? zip_fopen_index(z, idx, 0) : nullptr;
        ok = f != nullptr;
        std::string content(ok ? st.size : 0, '\0');
        if (f) {
            ok = zip_fread(f, content.data(), content.size())
                 == static_cast<zip_int64_t>(content.size());
            zip_fclose(f);
        }
        if (ok)
            entries.emplace_back(st.name, std::move(content));
    }
    zip_discard(z);
    return ok ? std::optional<Entries>(std::move(entries)) : std::nullopt;
}

std::optional<std::string> pack(const Entries& entries)
{
    zip_error_t err;
    zip_error_init(&err);
    zip_source_t* out = zip_source_buffer_create(nullptr, 0, 0, &err);
    zip_error_fini(&err);
    if (!out)
        return std::nullopt;
    zip_source_keep(out);
    zip_t* z = zip_open_from_source(out, ZIP_TRUNCATE, nullptr);
    bool ok = z != nullptr;
    for (const auto& [name, content] : entries) {
        if (!ok)
            break;
        zip_source_t* s = zip_source_buffer(z, content.data(), content.size(), 0);
        const zip_int64_t idx = s ? zip_file_add(z, name.c_str(), s, ZIP_FL_ENC_UTF_8) : -1;
        if (idx < 0) {
            if (s)
                zip_source_free(s);
            ok = false;
            break;
        }
        // Stored, so that plain byte mutations of the result still land in the XML.
        zip_set_file_compression(z, static_cast<zip_uint64_t>(idx), ZIP_CM_STORE, 0);
    }
    if (z && (!ok || zip_close(z) != 0)) {
        zip_discard(z);
        ok = false;
    }
    std::string bytes;
    if (ok && zip_source_open(out) == 0) {
        zip_source_seek(out, 0, SEEK_END);
        const zip_int64_t n = zip_source_tell(out);
        zip_source_seek(out, 0, SEEK_SET);
        if (n > 0) {
            bytes.resize(static_cast<std::size_t>(n));
            ok = zip_source_read(out, bytes.data(), bytes.size()) == n;
        } else {
            ok = false;
        }
        zip_source_close(out);
    } else {
        ok = false;
    }
    zip_source_free(out);
    return ok ? std::optional<std::string>(std::move(bytes)) : std::nullopt;
}

} // namespace

extern "C" std::size_t LLVMFuzzerCustomMutator(std::uint8_t* data, std::size_t size,
                                               std::size_t maxSize, unsigned int seed)
{
    std::minstd_rand rng(seed);
    if (rng() % 2 == 0)
        return LLVMFuzzerMutate(data, size, maxSize);
    auto entries = unpack(data, size);
    if (!entries || entries->empty())
        return LLVMFuzzerMutate(data, size, maxSize);

    std::size_t pick = rng() % entries->size();
    if (rng() % 3 != 0)
        for (std::size_t i = 0; i < entries->size(); ++i)
            if ((*entries)[i].first == "word/document.xml")
                pick = i;
    std::string& part = (*entries)[pick].second;
    const std::size_t used = part.size();
    part.resize(used + used / 4 + 64);
    part.resize(LLVMFuzzerMutate(reinterpret_cast<std::uint8_t*>(part.data()), used, part.size()));

    const auto bytes = pack(*entries);
    if (!bytes || bytes->size() > maxSize)
        return LLVMFuzzerMutate(data, size, maxSize);
    std::memcpy(data, bytes->data(), bytes->size());
    return bytes->size();
}
