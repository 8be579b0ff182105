#pragma once

#include "wordauto/oxml/form_field_xml.h"
#include "wordauto/opc/package.h"

#include <pugixml.hpp>

#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace wordauto::detail {

// The rows of a table in order; a deque, as rows are inserted near either end.
using RowList = std::deque<pugi::xml_node>;

inline constexpr const char* kWordNs = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
inline constexpr const char* kRelNs =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

// The path made absolute and lexically normal: how documents are told apart.
std::string absolutePath(const std::string& path);

// One open document: its package, the parsed main story and the parts the object model
// edits, with the indexes that keep lookups cheap. Only parts that were changed are written
// anew on save; the rest are copied as they are.
class DocumentModel {
public:
    // Opens the package at path; throws WordError for anything that is not a readable
    // WordprocessingML document.
    static std::shared_ptr<DocumentModel> open(const std::string& path, bool readOnly,
                                               const opc::Limits& limits = {});
    // A new, unnamed document made from a template package.
    static std::shared_ptr<DocumentModel> fromTemplate(const std::string& templatePath,
                                                       const std::string& name);
    static std::shared_ptr<DocumentModel> fromPackage(opc::Package package, std::string path,
                                                      bool readOnly);
    // A document to insert into another: its main part checked but not parsed here (it is
    // parsed into the receiving document by parseMainInto), its other parts as in open.
    static std::shared_ptr<DocumentModel> openForInsert(const std::string& path);
    // Every XML part not parsed yet passes the check of a parsed one: a document that will be
    // saved copies them through as they are stored, and must be able to. Throws WordError
    // naming the part.
    void checkEveryXmlPart();
    // Parses this document's main part as the last child of `holder` (a node of another
    // document), checked as a loaded main part is; returns its w:document element. Throws
    // WordError naming this document when the part is not a sound main story.
    pugi::xml_node parseMainInto(pugi::xml_node holder) const;

    const std::string& path() const { return path_; }
    const std::string& name() const { return name_; }
    bool readOnly() const { return readOnly_; }
    bool changed() const { return changed_; }
    bool closed() const { return closed_; }
    // Closed with changes that were not saved, the document's recovery copy goes too.
    void markClosed();

    // Recovery: the package as it stands, for a copy; recovered values are unsaved changes;
    // a copy written or taken for this document is its own, to remove when it is discarded.
    std::string packageBytes();
    void markChanged() { changed_ = true; }
    void ownRecoveryCopy() { ownsRecoveryCopy_ = true; }

    pugi::xml_document& mainXml() { return main_; }
    pugi::xml_node body() const { return body_; }
    const std::string& mainPartName() const { return mainPart_; }
    // Size of the main part's XML as it was read.
    std::size_t mainXmlBytes() const { return mainText_.size(); }
    opc::Package& package() { return package_; }

    // The parsed XML of another part of the package (settings, styles, footers), loaded on
    // first use. `create` makes the part, its relationship from the main part and its content
    // type when it does not exist yet.
    pugi::xml_document* relatedXml(const char* relType, bool create);
    pugi::xml_document& partXml(const std::string& partName);
    void markPartChanged(const std::string& partName);
    std::string relatedPartName(const char* relType) const;

    // Form fields of the main story, rebuilt when fields may have moved.
    const FormFieldIndex& fields();
    FormFieldIndex& mutableFields() { return const_cast<FormFieldIndex&>(fields()); }
    unsigned fieldGeneration() const { return fieldGen_; }

    // Rows of a table, cached; rebuilt after rows were added.
    const RowList& rowsOf(pugi::xml_node table);
    const std::vector<pugi::xml_node>& topLevelTables();

    // Content changes. Fields: runs were replaced, field results may have moved.
    // Structure: rows or tables were added. Removal: nodes that handles may hold were removed.
    void touchContent();
    void touchFields();
    void touchStructure();
    // A row was inserted into `table` at position `index` (from 0) of its rows: the cached rows
    // of that table are kept in step instead of being gathered again.
    void rowInserted(pugi::xml_node table, std::size_t index, pugi::xml_node row);
    void touchRemoval();
    unsigned removalGeneration() const { return removalGen_; }
    // Counts every change of any part: a view tells by it whether what it shows is current.
    unsigned contentGeneration() const { return contentGen_; }

    // The highest bookmark id in the main story, found by one walk and then kept: inserted
    // documents raise it, and nothing else makes new ids (a copied row repeats ids already
    // there), so it stays an upper bound without walking the growing story at every insert.
    int bookmarkIdCeiling();
    void raiseBookmarkIdCeiling(int id);

    // The page count of the document's layout as it stood at the last change, if known.
    std::optional<int> cachedPageCount() const
    {
        return pagesGen_ == contentGen_ ? std::optional<int>(pages_) : std::nullopt;
    }
    void cachePageCount(int pages)
    {
        pages_ = pages;
        pagesGen_ = contentGen_;
    }

    // Writes the document to path (atomically) and makes path its own; a document opened
    // read-only cannot be written over its own file.
    void saveAs(const std::string& path);
    void save();
    // Where a document never saved is proposed to go when it is first saved; empty once it
    // has a file of its own.
    std::string proposedPath() const { return path_.empty() ? proposedPath_ : std::string(); }
    void propose(const std::string& path) { proposedPath_ = path; }

private:
    DocumentModel(opc::Package package, std::string path, bool readOnly);
    void loadMain();
    void locateMain(); // mainPart_ and its checked text
    // Prefixes, depth and the body of a parsed main story; returns the body.
    pugi::xml_node checkMainStory(pugi::xml_node document) const;
    void serializeChangedParts(const std::string& target);

    opc::Package package_;
    std::string path_;
    std::string name_;
    std::string proposedPath_;
    bool readOnly_ = false;
    bool changed_ = false;
    bool closed_ = false;
    bool ownsRecoveryCopy_ = false;

    std::string mainPart_;
    std::string mainText_; // the main part's XML, parsed in place: main_ points into it
    bool mainSound_ = false; // its text was sound as it stood: the tree parsed from it needs no check
    pugi::xml_document main_;
    pugi::xml_node body_; // looked up once: asked for at every field and selection step
    bool mainChanged_ = false;

    struct XmlPart {
        std::unique_ptr<pugi::xml_document> doc;
        bool changed = false;
    };
    std::map<std::string, XmlPart> parts_;

    FormFieldIndex fieldIndex_;
    unsigned fieldGen_ = 1;
    unsigned indexedGen_ = 0;

    unsigned structureGen_ = 1;
    unsigned rowsGen_ = 0;
    std::unordered_map<pugi::xml_node_struct*, RowList> rowCache_;
    std::vector<pugi::xml_node> tables_;
    unsigned tablesGen_ = 0;
    unsigned removalGen_ = 1;
    unsigned contentGen_ = 1; // any change of any part
    unsigned pagesGen_ = 0;
    int pages_ = 0;
    std::optional<int> bookmarkCeiling_;
};

} // namespace wordauto::detail
