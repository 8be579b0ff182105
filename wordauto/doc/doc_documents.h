#pragma once

#include "wordauto/doc/doc_form_fields.h"
#include "wordauto/doc/doc_properties.h"
#include "wordauto/doc/doc_ref.h"
#include "wordauto/doc/doc_sections.h"
#include "wordauto/doc/doc_tables.h"

#include <memory>
#include <string>
#include <vector>

namespace wordauto {

namespace detail {
class ReadAhead;
}

inline constexpr int wdNoProtection = -1;
inline constexpr int wdAllowOnlyRevisions = 0;
inline constexpr int wdAllowOnlyComments = 1;
inline constexpr int wdAllowOnlyFormFields = 2;
inline constexpr int wdAllowOnlyReading = 3;

class DOC_Document {
public:
    explicit DOC_Document(DocRef ref) : ref_(std::move(ref)) {}

    // File name with extension ("Documento1" for a document never saved).
    std::string Name() const;
    std::string FullName() const;
    void Activate();
    // Without an argument the user is asked when the document was changed.
    void Close(int saveChanges = -2);
    DOC_FormFields FormFields() const;
    DOC_Bookmarks Bookmarks() const;
    DOC_Tables Tables() const;
    DOC_Sections Sections() const;
    DOC_BuiltInDocumentProperties BuiltInDocumentProperties() const;
    int ProtectionType() const;
    void Unprotect();
    void Protect_(int type, bool noReset);
    void CopyStylesFromTemplate(const std::string& templatePath);
    void SaveAs(const std::string& path);
    void Save();
    // Where the user's first save of a document never saved proposes to put it: beside its
    // template to begin with; empty once the document has a file.
    std::string ProposedFullName() const;
    void ProposedFullName(const std::string& path);
    bool Saved() const;
    bool ReadOnly() const;

    bool operator==(const DOC_Document& other) const { return ref_.doc == other.ref_.doc; }

private:
    DocRef ref_;
};

// While it lives, the documents it was made for are read ahead for their read-only opens.
class DOC_ReadAhead {
public:
    DOC_ReadAhead(std::shared_ptr<detail::ApplicationState> app, std::shared_ptr<detail::ReadAhead> work);
    ~DOC_ReadAhead();
    DOC_ReadAhead(const DOC_ReadAhead&) = delete;
    DOC_ReadAhead& operator=(const DOC_ReadAhead&) = delete;

private:
    std::weak_ptr<detail::ApplicationState> app_;
    std::shared_ptr<detail::ReadAhead> work_;
};

class DOC_Documents {
public:
    explicit DOC_Documents(std::shared_ptr<detail::ApplicationState> app) : app_(std::move(app)) {}

    // Opens the document at path and makes it active; a document already open from that file
    // is activated instead.
    DOC_Document Open(const std::string& path, bool confirmConversions = false,
                      bool readOnly = false);
    // The documents at `paths` are about to be opened read-only, in that order: while the
    // object returned lives, other threads read them ahead of the opens. An open takes what
    // was read for it only while the file is the one read; otherwise it reads the file itself.
    DOC_ReadAhead ReadAhead(std::vector<std::string> paths);
    // A new document made from the template, made active.
    DOC_Document Add(const std::string& templatePath);
    int Count() const;
    DOC_Document Item(int index) const;
    void Close(int saveChanges = -2);

private:
    std::shared_ptr<detail::ApplicationState> app_;
};

} // namespace wordauto
