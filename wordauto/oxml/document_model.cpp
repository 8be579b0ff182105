#include "wordauto/oxml/document_model.h"

#include "wordauto/doc/doc_recovery.h"
#include "wordauto/word_error.h"
#include "wordauto/oxml/xml_markup.h"
#include "wordauto/oxml/xml_text.h"
#include "wordauto/oxml/xml_tree_check.h"
#include "wordauto/oxml/xml_util.h"

#include <cstring>
#include <algorithm>
#include <filesystem>

#include <fcntl.h>
#include <unistd.h>

namespace wordauto::detail {

namespace fs = std::filesystem;

namespace {

constexpr const char* kMainTypes[] = {
    "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml",
    "application/vnd.openxmlformats-officedocument.wordprocessingml.template.main+xml",
    "application/vnd.ms-word.document.macroEnabled.main+xml",
    "application/vnd.ms-word.template.macroEnabledTemplate.main+xml",
};
constexpr const char* kDocumentType =
    "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml";
constexpr const char* kTemplateType =
    "application/vnd.openxmlformats-officedocument.wordprocessingml.template.main+xml";

struct NewPart {
    const char* relType;
    const char* partName;
    const char* contentType;
    const char* root;
};
constexpr NewPart kNewParts[] = {
    {opc::reltype::settings, "word/settings.xml",
     "application/vnd.openxmlformats-officedocument.wordprocessingml.settings+xml", "w:settings"},
    {opc::reltype::styles, "word/styles.xml",
     "application/vnd.openxmlformats-officedocument.wordprocessingml.styles+xml", "w:styles"},
    {opc::reltype::numbering, "word/numbering.xml",
     "application/vnd.openxmlformats-officedocument.wordprocessingml.numbering+xml", "w:numbering"},
};

std::string baseName(const std::string& path)
{
    return fs::path(path).filename().string();
}

// Other writers may bind the WordprocessingML namespace to another prefix, or make it the
// default; the model works with "w:" names, so such a part is renamed once at load.
void normalizeWordPrefix(pugi::xml_node root, const std::string& partName, const std::string& shown)
{
    std::string prefix;
    bool found = false;
    bool hasW = false;
    for (auto a : root.attributes()) {
        const std::string_view n = a.name();
        if (std::strcmp(a.value(), kWordNs) != 0)
            continue;
        // w: may be bound as well, for the attributes of elements in the default namespace.
        if (n == "xmlns:w") {
            hasW = true;
        } else if (n == "xmlns") {
            prefix.clear();
            found = true;
        } else if (n.substr(0, 6) == "xmlns:") {
            prefix = std::string(n.substr(6));
            found = true;
        }
    }
    if (!found)
        return;
    // w: bound to something else would make the renamed names mean that instead.
    if (!hasW && root.attribute("xmlns:w"))
        invalidPart("prefisso w usato per un altro spazio dei nomi", partName, shown);
    const std::string from = prefix.empty() ? std::string() : prefix + ":";
    auto rename = [&](auto item) {
        const std::string_view n = item.name();
        if (prefix.empty()) {
            if (n.find(':') == std::string_view::npos && n != "xmlns")
                item.set_name(("w:" + std::string(n)).c_str());
        } else if (n.substr(0, from.size()) == from) {
            item.set_name(("w:" + std::string(n.substr(from.size()))).c_str());
        }
    };
    for (auto n = root; n; n = nextInOrder(n, root)) {
        if (n.type() != pugi::node_element)
            continue;
        rename(n);
        // Unprefixed attributes are in no namespace even under a default namespace.
        if (!prefix.empty())
            for (auto a : n.attributes())
                rename(a);
    }
    if (!hasW)
        root.append_attribute("xmlns:w") = kWordNs;
}

template <typename List>
void collectChildren(pugi::xml_node parent, const char* name, List& out)
{
    for (auto c : parent.children()) {
        const char* n = c.name();
        if (std::strcmp(n, name) == 0)
            out.push_back(c);
        else if (std::strcmp(n, "w:sdt") == 0)
            collectChildren(c.child("w:sdtContent"), name, out);
        else if (std::strcmp(n, "w:customXml") == 0)
            collectChildren(c, name, out);
    }
}

// An absolute path with no empty, "." or ".." segment: what lexical normalisation gives back
// unchanged.
bool isNormalAbsolute(std::string_view path)
{
    if (path.empty() || path.front() != '/')
        return false;
    for (std::size_t i = 0; i < path.size();) {
        const auto next = path.find('/', i + 1);
        const auto segment = path.substr(i + 1, next == std::string_view::npos ? next : next - i - 1);
        const bool last = next == std::string_view::npos || next + 1 == path.size();
        if ((segment.empty() && !last) || segment == "." || segment == "..")
            return false;
        if (next == std::string_view::npos)
            break;
        i = next;
    }
    return true;
}

} // namespace

std::string absolutePath(const std::string& path)
{
    // Every list the report run opens comes with a path like this; normalising costs more
    // than the check.
    if (isNormalAbsolute(path))
        return path;
    std::error_code ec;
    fs::path p = fs::absolute(path, ec);
    return (ec ? fs::path(path) : p).lexically_normal().string();
}

DocumentModel::DocumentModel(opc::Package package, std::string path, bool readOnly)
    : package_(std::move(package)), path_(std::move(path)), readOnly_(readOnly)
{
    name_ = path_.empty() ? std::string() : baseName(path_);
}

std::shared_ptr<DocumentModel> DocumentModel::fromPackage(opc::Package package, std::string path,
                                                          bool readOnly)
{
    std::shared_ptr<DocumentModel> model(
        new DocumentModel(std::move(package), std::move(path), readOnly));
    model->loadMain();
    return model;
}

std::shared_ptr<DocumentModel> DocumentModel::open(const std::string& path, bool readOnly,
                                                   const opc::Limits& limits)
{
    // A file the user may not write opens read-only, as in Word (root may write any file). A
    // read-only open need not ask.
    const bool writable = !readOnly && ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
    auto model = fromPackage(opc::Package::open(path, limits), absolutePath(path), !writable);
    // Opened to be filled in: what is typed must save, so nothing the save copies may fail then.
    if (!model->readOnly_)
        model->checkEveryXmlPart();
    return model;
}

void DocumentModel::checkEveryXmlPart()
{
    for (const auto& name : package_.partNames()) {
        if (name == mainPart_ || parts_.count(name) || name == "[Content_Types].xml"
            || !isXmlPart(name, package_.contentType(name)))
            continue;
        pugi::xml_document doc;
        loadXml(doc, package_.part(name), name, package_.displayPath());
    }
}

std::shared_ptr<DocumentModel> DocumentModel::fromTemplate(const std::string& templatePath,
                                                           const std::string& name)
{
    auto model = fromPackage(opc::Package::open(templatePath), std::string(), false);
    model->checkEveryXmlPart();
    if (model->package_.contentType(model->mainPart_) == kTemplateType)
        model->package_.setOverride(model->mainPart_, kDocumentType);
    model->name_ = name;
    // Beside its template, as a document of the template's kind: .dot gives .doc, .dotx .docx.
    std::string extension = fs::path(templatePath).extension().string();
    if (extension.size() >= 4 && (extension.compare(0, 4, ".dot") == 0 || extension.compare(0, 4, ".DOT") == 0))
        extension[3] = extension[3] == 't' ? 'c' : 'C';
    else if (extension.empty())
        extension = ".docx";
    model->proposedPath_ = absolutePath((fs::path(templatePath).parent_path() / (name + extension)).string());
    return model;
}

std::shared_ptr<DocumentModel> DocumentModel::openForInsert(const std::string& path)
{
    std::shared_ptr<DocumentModel> model(new DocumentModel(opc::Package::open(path), absolutePath(path), true));
    model->locateMain();
    return model;
}

void DocumentModel::locateMain()
{
    const std::string& shown = package_.displayPath();
    const auto main = package_.relatedPart("", opc::reltype::officeDocument);
    if (!main || !package_.hasPart(*main))
        throwFileError("Il file non è un documento Word (manca il documento principale)", shown);
    bool known = false;
    const std::string type = package_.contentType(*main);
    for (const char* t : kMainTypes)
        known = known || type == t;
    if (!known)
        throwFileError("Il file non è un documento Word (contenuto di tipo " + type + ")", shown);
    mainPart_ = *main;
    // The largest part: parsed where it lies instead of copied once more.
    mainText_ = package_.takePart(mainPart_);
    convertUtf16Part(mainText_, mainPart_, shown);
    mainSound_ = checkXmlBeforeParse(mainText_, mainPart_, shown);
}

pugi::xml_node DocumentModel::checkMainStory(pugi::xml_node document) const
{
    const std::string& shown = package_.displayPath();
    if (!mainSound_)
        checkXmlTree(document, mainPart_, shown);
    auto root = document.first_child();
    while (root && root.type() != pugi::node_element)
        root = root.next_sibling();
    normalizeWordPrefix(root, mainPart_, shown);
    auto body = root.child("w:body");
    if (std::strcmp(root.name(), "w:document") != 0 || !body)
        throwFileError("Il documento è danneggiato (manca il corpo del documento)", shown);
    return body;
}

void DocumentModel::loadMain()
{
    locateMain();
    const auto parsed = main_.load_buffer_inplace(mainText_.data(), mainText_.size(), kParseOptions,
                                                  pugi::encoding_utf8);
    if (!parsed)
        throwFileError("Il documento è danneggiato (XML non valido in " + mainPart_ + ": "
                           + parsed.description() + ")",
                       package_.displayPath());
    body_ = checkMainStory(main_);
}

pugi::xml_node DocumentModel::parseMainInto(pugi::xml_node holder) const
{
    // A declaration may only open a document: the story is parsed from after it.
    std::string_view text = mainText_;
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    if (text.starts_with("<?xml")) {
        // ... and checked by itself, as an open checks it.
        const auto end = text.find("?>");
        const std::size_t length = end == std::string_view::npos ? text.size() : end + 2;
        if (!mainSound_) {
            pugi::xml_document declaration;
            const std::string alone = std::string(text.substr(0, length)) + "<r/>";
            if (!declaration.load_buffer(alone.data(), alone.size(), kParseOptions, pugi::encoding_utf8))
                invalidPart("dichiarazione XML non valida", mainPart_, package_.displayPath());
            checkXmlTree(declaration, mainPart_, package_.displayPath());
        }
        text.remove_prefix(length);
    }
    const auto parsed = holder.append_buffer(text.data(), text.size(), kParseOptions, pugi::encoding_utf8);
    if (!parsed)
        throwFileError("Il documento è danneggiato (XML non valido in " + mainPart_ + ": "
                           + parsed.description() + ")",
                       package_.displayPath());
    return checkMainStory(holder).parent();
}

std::string DocumentModel::relatedPartName(const char* relType) const
{
    const auto p = package_.relatedPart(mainPart_, relType);
    return p && package_.hasPart(*p) ? *p : std::string();
}

pugi::xml_document& DocumentModel::partXml(const std::string& partName)
{
    auto it = parts_.find(partName);
    if (it != parts_.end())
        return *it->second.doc;
    auto doc = std::make_unique<pugi::xml_document>();
    loadXml(*doc, package_.part(partName), partName, package_.displayPath());
    normalizeWordPrefix(doc->document_element(), partName, package_.displayPath());
    auto& slot = parts_[partName];
    slot.doc = std::move(doc);
    return *slot.doc;
}

pugi::xml_document* DocumentModel::relatedXml(const char* relType, bool create)
{
    const std::string existing = relatedPartName(relType);
    if (!existing.empty())
        return &partXml(existing);
    if (!create)
        return nullptr;
    const NewPart* spec = nullptr;
    for (const auto& p : kNewParts)
        if (std::strcmp(p.relType, relType) == 0)
            spec = &p;
    if (!spec)
        return nullptr;

    std::string partName = spec->partName;
    for (int i = 2; package_.hasPart(partName); ++i) {
        std::string base = spec->partName;
        partName = base.insert(base.size() - 4, std::to_string(i));
    }
    auto rels = package_.relationships(mainPart_);
    int n = static_cast<int>(rels.size()) + 1;
    auto idTaken = [&](const std::string& id) {
        for (const auto& r : rels)
            if (r.id == id)
                return true;
        return false;
    };
    while (idTaken("rId" + std::to_string(n)))
        ++n;
    const std::string mainDir = mainPart_.substr(0, mainPart_.find_last_of('/') + 1);
    rels.push_back({"rId" + std::to_string(n), relType,
                    partName.substr(0, mainDir.size()) == mainDir ? partName.substr(mainDir.size())
                                                                   : opc::absolutePartName(partName),
                    false});
    package_.setRelationships(mainPart_, rels);
    package_.setOverride(partName, spec->contentType);

    auto doc = std::make_unique<pugi::xml_document>();
    auto decl = doc->append_child(pugi::node_declaration);
    decl.append_attribute("version") = "1.0";
    decl.append_attribute("encoding") = "UTF-8";
    decl.append_attribute("standalone") = "yes";
    auto root = doc->append_child(spec->root);
    root.append_attribute("xmlns:w") = kWordNs;
    root.append_attribute("xmlns:r") = kRelNs;
    auto& slot = parts_[partName];
    slot.doc = std::move(doc);
    slot.changed = true;
    changed_ = true;
    ++contentGen_;
    return slot.doc.get();
}

void DocumentModel::markPartChanged(const std::string& partName)
{
    parts_[partName].changed = true;
    changed_ = true;
    ++contentGen_;
}

const FormFieldIndex& DocumentModel::fields()
{
    if (indexedGen_ != fieldGen_) {
        fieldIndex_.build(body());
        indexedGen_ = fieldGen_;
    }
    return fieldIndex_;
}

const RowList& DocumentModel::rowsOf(pugi::xml_node table)
{
    if (rowsGen_ != structureGen_) {
        rowCache_.clear();
        rowsGen_ = structureGen_;
    }
    auto [it, inserted] = rowCache_.try_emplace(table.internal_object());
    if (inserted)
        collectChildren(table, "w:tr", it->second);
    return it->second;
}

const std::vector<pugi::xml_node>& DocumentModel::topLevelTables()
{
    if (tablesGen_ != structureGen_) {
        tables_.clear();
        collectChildren(body(), "w:tbl", tables_);
        tablesGen_ = structureGen_;
    }
    return tables_;
}

int DocumentModel::bookmarkIdCeiling()
{
    if (!bookmarkCeiling_) {
        int max = 0;
        for (auto n = body_.first_child(); n; n = nextInOrder(n, body_))
            if (std::strcmp(n.name(), "w:bookmarkStart") == 0)
                max = std::max(max, n.attribute("w:id").as_int());
        bookmarkCeiling_ = max;
    }
    return *bookmarkCeiling_;
}

void DocumentModel::raiseBookmarkIdCeiling(int id)
{
    bookmarkCeiling_ = std::max(bookmarkIdCeiling(), id);
}

void DocumentModel::touchContent()
{
    changed_ = true;
    mainChanged_ = true;
    ++contentGen_;
}

// Every edit that may add, remove or move a field character comes here.
void DocumentModel::touchFields()
{
    touchContent();
    ++fieldGen_;
}

void DocumentModel::touchStructure()
{
    touchFields();
    ++structureGen_;
}

void DocumentModel::rowInserted(pugi::xml_node table, std::size_t index, pugi::xml_node row)
{
    touchFields();
    auto it = rowCache_.find(table.internal_object());
    if (rowsGen_ != structureGen_ || it == rowCache_.end())
        return; // gathered afresh on next use
    auto& rows = it->second;
    rows.insert(rows.begin() + static_cast<std::ptrdiff_t>(std::min(index, rows.size())), row);
}

void DocumentModel::touchRemoval()
{
    touchStructure();
    ++removalGen_;
}

void DocumentModel::serializeChangedParts(const std::string& target)
{
    // What is written must be XML that other programs read, by the rule every part passed when
    // it was read: anything that got into the tree since stops the save before a byte is written.
    auto written = [&](const pugi::xml_document& doc, const std::string& partName, std::size_t sizeHint) {
        std::string xml = saveXml(doc, sizeHint);
        if (!isSoundAsStored(xml))
            if (auto fault = xmlTreeFault(doc))
                throwFileError("Impossibile salvare il file (XML non valido in " + partName + ": "
                                   + *fault + ")",
                               target);
        return xml;
    };
    if (mainChanged_)
        package_.setPart(mainPart_, written(main_, mainPart_, mainText_.size()));
    for (auto& [name, part] : parts_)
        if (part.changed && part.doc)
            package_.setPart(name, written(*part.doc, name, 0));
}

void DocumentModel::saveAs(const std::string& path)
{
    const std::string target = absolutePath(path);
    if (readOnly_ && !path_.empty()) {
        std::error_code ec;
        if (target == path_ || fs::equivalent(target, path_, ec))
            throwFileError("Il documento è aperto in sola lettura: impossibile salvarlo con lo "
                           "stesso nome",
                           path_);
    }
    serializeChangedParts(target);
    package_.saveAs(target);
    mainChanged_ = false;
    for (auto& [name, part] : parts_)
        part.changed = false;
    discardRecoveryCopy(path_);
    discardRecoveryCopy(target);
    ownsRecoveryCopy_ = false;
    path_ = target;
    name_ = baseName(target);
    readOnly_ = false;
    changed_ = false;
}

void DocumentModel::markClosed()
{
    if (changed_ && ownsRecoveryCopy_)
        discardRecoveryCopy(path_);
    closed_ = true;
}

std::string DocumentModel::packageBytes()
{
    serializeChangedParts(path_);
    return package_.toBytes();
}

void DocumentModel::save()
{
    if (path_.empty())
        throw WordError("Il documento \"" + name_ + "\" non è mai stato salvato: occorre "
                        "indicare un nome di file");
    saveAs(path_);
}

} // namespace wordauto::detail
