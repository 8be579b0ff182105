#include "wordauto/doc/doc_sections.h"

#include "wordauto/oxml/document_model.h"
#include "wordauto/oxml/form_field_xml.h"
#include "wordauto/word_error.h"
#include "wordauto/oxml/xml_util.h"

#include <cstring>
#include <vector>

namespace wordauto {

namespace {

constexpr const char* kFooterType =
    "application/vnd.openxmlformats-officedocument.wordprocessingml.footer+xml";
constexpr std::string_view kBeforeFooterRef[] = {"w:headerReference", "w:footerReference"};
constexpr std::string_view kBeforePgNumType[] = {
    "w:headerReference", "w:footerReference", "w:footnotePr", "w:endnotePr", "w:type",
    "w:pgSz", "w:pgMar", "w:paperSrc", "w:pgBorders", "w:lnNumType"};

// Section properties in body order: those ending a paragraph, then the body's own.
std::vector<pugi::xml_node> sectionProperties(detail::DocumentModel& d, bool createLast)
{
    std::vector<pugi::xml_node> out;
    auto body = d.body();
    for (auto p : body.children("w:p"))
        if (auto s = p.child("w:pPr").child("w:sectPr"))
            out.push_back(s);
    auto last = body.child("w:sectPr");
    if (!last && createLast) {
        last = body.append_child("w:sectPr");
        d.touchContent();
    }
    out.push_back(last);
    return out;
}

pugi::xml_node sectionAt(const DocRef& ref, int index, bool create)
{
    auto& d = ref.live();
    auto all = sectionProperties(d, create);
    if (index < 1 || index > static_cast<int>(all.size()))
        throwFileError("Il membro richiesto della raccolta non esiste (sezione "
                           + std::to_string(index) + " di " + std::to_string(all.size()) + ")",
                       d.path().empty() ? d.name() : d.path());
    return all[static_cast<std::size_t>(index - 1)];
}

pugi::xml_node primaryFooterRef(pugi::xml_node sectPr)
{
    for (auto r : sectPr.children("w:footerReference")) {
        const std::string_view type = r.attribute("w:type").value();
        if (type.empty() || type == "default")
            return r;
    }
    return {};
}

std::string newFooterPart(detail::DocumentModel& d, const std::string& copyOf)
{
    auto& pkg = d.package();
    std::string name;
    for (int i = 1;; ++i) {
        name = "word/footer" + std::to_string(i) + ".xml";
        if (!pkg.hasPart(name))
            break;
    }
    if (copyOf.empty()) {
        pkg.setPart(name, std::string("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
                                      "<w:ftr xmlns:w=\"") + detail::kWordNs + "\" xmlns:r=\""
                              + detail::kRelNs + "\"><w:p/></w:ftr>");
    } else {
        d.partXml(copyOf); // parsed once so pending edits of the original are taken too
        pkg.setPart(name, detail::saveXml(d.partXml(copyOf)));
        const auto rels = pkg.relationships(copyOf);
        if (!rels.empty())
            pkg.setRelationships(name, rels);
    }
    pkg.setOverride(name, kFooterType);
    return name;
}

std::string addMainRelationship(detail::DocumentModel& d, const char* type, const std::string& part)
{
    auto& pkg = d.package();
    auto rels = pkg.relationships(d.mainPartName());
    int n = static_cast<int>(rels.size()) + 1;
    auto taken = [&](const std::string& id) {
        for (const auto& r : rels)
            if (r.id == id)
                return true;
        return false;
    };
    while (taken("rId" + std::to_string(n)))
        ++n;
    const std::string id = "rId" + std::to_string(n);
    const std::string dir = d.mainPartName().substr(0, d.mainPartName().find_last_of('/') + 1);
    rels.push_back({id, type, part.substr(0, dir.size()) == dir ? part.substr(dir.size()) : opc::absolutePartName(part),
                    false});
    pkg.setRelationships(d.mainPartName(), rels);
    return id;
}

} // namespace

int DOC_PageNumbers::StartingNumber() const
{
    auto s = sectionAt(ref_, section_, false);
    const auto start = s.child("w:pgNumType").attribute("w:start");
    return start ? start.as_int() : 0;
}

void DOC_PageNumbers::StartingNumber(int number)
{
    auto s = sectionAt(ref_, section_, true);
    auto type = s.child("w:pgNumType");
    if (!type)
        type = detail::insertInSchemaOrder(s, "w:pgNumType", kBeforePgNumType);
    type.remove_attribute("w:start");
    type.append_attribute("w:start") = number;
    ref_.doc->touchContent();
}

bool DOC_HeaderFooter::LinkToPrevious() const
{
    auto s = sectionAt(ref_, section_, false);
    return section_ > 1 && !primaryFooterRef(s);
}

void DOC_HeaderFooter::LinkToPrevious(bool link)
{
    auto& d = ref_.live();
    auto all = sectionProperties(d, true);
    if (section_ < 1 || section_ > static_cast<int>(all.size()))
        throw WordError("Il membro richiesto della raccolta non esiste (sezione "
                        + std::to_string(section_) + ")");
    auto s = all[static_cast<std::size_t>(section_ - 1)];
    auto own = primaryFooterRef(s);
    if (link) {
        if (own && section_ > 1) {
            // The reference is empty in any document Word writes; what a crafted one puts in
            // it goes too.
            const bool fieldChars = detail::holdsFieldChar(own);
            s.remove_child(own);
            if (fieldChars)
                d.touchFields();
            else
                d.touchContent();
        }
        return;
    }
    if (own)
        return;
    // The footer shown so far is the nearest earlier section's; the first section has none to
    // inherit and stays as it is.
    std::string inherited;
    for (int i = section_ - 2; i >= 0 && inherited.empty(); --i)
        if (auto ref = primaryFooterRef(all[static_cast<std::size_t>(i)]))
            for (const auto& rel : d.package().relationships(d.mainPartName()))
                if (rel.id == ref.attribute("r:id").value())
                    inherited = opc::Package::resolveTarget(d.mainPartName(), rel.target);
    if (section_ == 1)
        return;
    const std::string part = newFooterPart(d, inherited);
    const std::string id = addMainRelationship(d, opc::reltype::footer, part);
    auto ref = detail::insertInSchemaOrder(s, "w:footerReference", kBeforeFooterRef);
    ref.append_attribute("w:type") = "default";
    ref.append_attribute("r:id") = id.c_str();
    d.touchContent();
}

DOC_HeaderFooter DOC_HeadersFooters::Item(int index) const
{
    if (index != 1)
        throw WordError("Il membro richiesto della raccolta non esiste (piè di pagina "
                        + std::to_string(index) + ")");
    sectionAt(ref_, section_, false);
    return DOC_HeaderFooter(ref_, section_);
}

int DOC_Sections::Count() const
{
    return static_cast<int>(sectionProperties(ref_.live(), false).size());
}

DOC_Section DOC_Sections::Item(int index) const
{
    sectionAt(ref_, index, false);
    return DOC_Section(ref_, index);
}

} // namespace wordauto
