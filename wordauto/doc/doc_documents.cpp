#include "wordauto/doc/doc_documents.h"

#include "wordauto/doc/application_state.h"
#include "wordauto/doc/doc_recovery.h"
#include "wordauto/window/window_hooks.h"
#include "wordauto/word_error.h"
#include "wordauto/oxml/xml_util.h"

#include <cstring>
#include <filesystem>

namespace wordauto {

namespace {

// What Word stores in w:edit for each protection type.
struct ProtectionKind {
    const char* edit;
    int type;
};
constexpr ProtectionKind kProtections[] = {
    {"trackedChanges", wdAllowOnlyRevisions},
    {"comments", wdAllowOnlyComments},
    {"forms", wdAllowOnlyFormFields},
    {"readOnly", wdAllowOnlyReading},
};

// Elements that w:documentProtection follows in w:settings.
constexpr std::string_view kBeforeProtection[] = {
    "w:writeProtection", "w:view", "w:zoom", "w:removePersonalInformation",
    "w:removeDateAndTime", "w:doNotDisplayPageBoundaries", "w:displayBackgroundShape",
    "w:printPostScriptOverText", "w:printFractionalCharacterWidth", "w:printFormsData",
    "w:embedTrueTypeFonts", "w:embedSystemFonts", "w:saveSubsetFonts", "w:saveFormsData",
    "w:mirrorMargins", "w:alignBordersAndEdges", "w:bordersDoNotSurroundHeader",
    "w:bordersDoNotSurroundFooter", "w:gutterAtTop", "w:hideSpellingErrors",
    "w:hideGrammaticalErrors", "w:activeWritingStyle", "w:proofState", "w:formsDesign",
    "w:attachedTemplate", "w:linkStyles", "w:stylePaneFormatFilter", "w:stylePaneSortMethod",
    "w:documentType", "w:mailMerge", "w:revisionView", "w:trackRevisions", "w:doNotTrackMoves",
    "w:doNotTrackFormatting"};

// A password leaves its hash behind. LibreOffice writes the hash and salt attributes empty
// when no password was given: an empty hash is no password.
bool hasPassword(pugi::xml_node protection)
{
    for (const char* a : {"w:hash", "w:hashValue"})
        if (*protection.attribute(a).value() != '\0')
            return true;
    return false;
}

} // namespace

std::string DOC_Document::Name() const { return ref_.live().name(); }
std::string DOC_Document::FullName() const
{
    auto& d = ref_.live();
    return d.path().empty() ? d.name() : d.path();
}

DOC_FormFields DOC_Document::FormFields() const
{
    ref_.live();
    return DOC_FormFields(ref_);
}

DOC_Bookmarks DOC_Document::Bookmarks() const
{
    ref_.live();
    return DOC_Bookmarks(ref_);
}

DOC_Tables DOC_Document::Tables() const
{
    ref_.live();
    return DOC_Tables(ref_);
}

DOC_Sections DOC_Document::Sections() const
{
    ref_.live();
    return DOC_Sections(ref_);
}

DOC_BuiltInDocumentProperties DOC_Document::BuiltInDocumentProperties() const
{
    ref_.live();
    return DOC_BuiltInDocumentProperties(ref_);
}

void DOC_Document::Activate()
{
    ref_.live();
    ref_.app->activate(ref_.doc);
    window::raiseWindow(*ref_.app, *ref_.doc);
}

void DOC_Document::Close(int saveChanges)
{
    ref_.live();
    if (!ref_.app->close(ref_.doc, saveChanges))
        throw WordCancel("Chiusura del documento " + ref_.doc->name() + " annullata");
}

int DOC_Document::ProtectionType() const
{
    auto& d = ref_.live();
    auto* settings = d.relatedXml(opc::reltype::settings, false);
    if (!settings)
        return wdNoProtection;
    const auto p = settings->document_element().child("w:documentProtection");
    if (!p)
        return wdNoProtection;
    const std::string_view enforcement = p.attribute("w:enforcement").value();
    if (!(enforcement == "1" || enforcement == "true" || enforcement == "on"))
        return wdNoProtection;
    for (const auto& k : kProtections)
        if (std::strcmp(p.attribute("w:edit").value(), k.edit) == 0)
            return k.type;
    return wdNoProtection;
}

void DOC_Document::Unprotect()
{
    auto& d = ref_.live();
    if (ProtectionType() == wdNoProtection)
        return;
    auto* settings = d.relatedXml(opc::reltype::settings, false);
    auto root = settings->document_element();
    const auto p = root.child("w:documentProtection");
    if (hasPassword(p))
        throwFileError("Il documento è protetto da una password: impossibile rimuovere la protezione",
                       d.path().empty() ? d.name() : d.path());
    root.remove_child(p);
    d.markPartChanged(d.relatedPartName(opc::reltype::settings));
}

void DOC_Document::Protect_(int type, bool noReset)
{
    auto& d = ref_.live();
    const char* edit = nullptr;
    for (const auto& k : kProtections)
        if (k.type == type)
            edit = k.edit;
    if (!edit)
        throwFileError("Tipo di protezione non valido (" + std::to_string(type) + ")",
                       d.path().empty() ? d.name() : d.path());
    if (ProtectionType() != wdNoProtection)
        throwFileError("Il documento è già protetto", d.path().empty() ? d.name() : d.path());
    // Form fields keep what was typed in them (noReset); resetting them to their defaults is
    // not something the program asks for.
    (void)noReset;
    auto* settings = d.relatedXml(opc::reltype::settings, true);
    auto root = settings->document_element();
    auto p = root.child("w:documentProtection");
    if (p)
        root.remove_child(p);
    p = detail::insertInSchemaOrder(root, "w:documentProtection", kBeforeProtection);
    p.append_attribute("w:edit") = edit;
    p.append_attribute("w:enforcement") = "1";
    d.markPartChanged(d.relatedPartName(opc::reltype::settings));
}

void DOC_Document::CopyStylesFromTemplate(const std::string& templatePath)
{
    auto& d = ref_.live();
    auto source = detail::DocumentModel::open(templatePath, true);
    auto* from = source->relatedXml(opc::reltype::styles, false);
    if (!from)
        return;
    auto* to = d.relatedXml(opc::reltype::styles, true);
    auto target = to->document_element();
    auto sourceRoot = from->document_element();
    // Same-named styles take the template's definition; the others are added.
    std::unordered_map<std::string, pugi::xml_node> byId;
    for (auto s : target.children("w:style"))
        byId.emplace(s.attribute("w:styleId").value(), s);
    if (auto defaults = sourceRoot.child("w:docDefaults")) {
        if (auto old = target.child("w:docDefaults"))
            target.remove_child(old);
        target.prepend_copy(defaults);
    }
    for (auto s : sourceRoot.children("w:style")) {
        auto it = byId.find(s.attribute("w:styleId").value());
        if (it != byId.end()) {
            target.insert_copy_before(s, it->second);
            target.remove_child(it->second);
        } else {
            target.append_copy(s);
        }
    }
    d.markPartChanged(d.relatedPartName(opc::reltype::styles));
}

void DOC_Document::SaveAs(const std::string& path) { ref_.live().saveAs(path); }
void DOC_Document::Save() { ref_.live().save(); }
std::string DOC_Document::ProposedFullName() const { return ref_.live().proposedPath(); }
void DOC_Document::ProposedFullName(const std::string& path) { ref_.live().propose(detail::absolutePath(path)); }
bool DOC_Document::Saved() const { return !ref_.live().changed(); }
bool DOC_Document::ReadOnly() const { return ref_.live().readOnly(); }

DOC_Document DOC_Documents::Open(const std::string& path, bool confirmConversions, bool readOnly)
{
    (void)confirmConversions; // nothing here is ever converted
    app_->ensureRunning();
    std::error_code ec;
    const std::string absolute = detail::absolutePath(path);
    for (const auto& doc : app_->documents) {
        if (doc->path().empty())
            continue;
        if (doc->path() == absolute || std::filesystem::equivalent(doc->path(), absolute, ec)) {
            app_->activate(doc);
            window::raiseWindow(*app_, *doc);
            return DOC_Document(DocRef{app_, doc});
        }
    }
    std::shared_ptr<detail::DocumentModel> doc;
    if (readOnly && app_->readAhead)
        doc = app_->readAhead->take(path);
    if (!doc)
        doc = detail::openWithRecovery(path, readOnly);
    app_->documents.push_back(doc);
    app_->activate(doc);
    window::syncWindows(app_);
    return DOC_Document(DocRef{app_, doc});
}

DOC_ReadAhead::DOC_ReadAhead(std::shared_ptr<detail::ApplicationState> app, std::shared_ptr<detail::ReadAhead> work)
    : app_(app), work_(std::move(work))
{
    app->readAhead = work_;
}

DOC_ReadAhead::~DOC_ReadAhead()
{
    if (const auto app = app_.lock(); app && app->readAhead == work_)
        app->readAhead.reset();
}

DOC_ReadAhead DOC_Documents::ReadAhead(std::vector<std::string> paths)
{
    app_->ensureRunning();
    return DOC_ReadAhead(app_, std::make_shared<detail::ReadAhead>(std::move(paths),
                                                                 detail::ReadAhead::defaultWorkers()));
}

DOC_Document DOC_Documents::Add(const std::string& templatePath)
{
    app_->ensureRunning();
    auto doc = detail::DocumentModel::fromTemplate(templatePath,
                                                   "Documento" + std::to_string(++app_->untitled));
    app_->documents.push_back(doc);
    app_->activate(doc);
    window::syncWindows(app_);
    return DOC_Document(DocRef{app_, doc});
}

int DOC_Documents::Count() const
{
    app_->ensureRunning();
    return static_cast<int>(app_->documents.size());
}

DOC_Document DOC_Documents::Item(int index) const
{
    app_->ensureRunning();
    if (index < 1 || index > static_cast<int>(app_->documents.size()))
        throw WordError("Il documento " + std::to_string(index) + " non è aperto (documenti aperti: "
                        + std::to_string(app_->documents.size()) + ")");
    return DOC_Document(DocRef{app_, app_->documents[static_cast<std::size_t>(index - 1)]});
}

void DOC_Documents::Close(int saveChanges)
{
    app_->ensureRunning();
    while (!app_->documents.empty()) {
        auto doc = app_->documents.front();
        if (!app_->close(doc, saveChanges))
            throw WordCancel("Chiusura del documento " + doc->name() + " annullata");
    }
}

} // namespace wordauto
