#include "wordauto/doc/doc_form_fields.h"

#include "wordauto/doc/application_state.h"
#include "wordauto/oxml/document_model.h"
#include "wordauto/word_error.h"

namespace wordauto {

namespace {

// The field a handle names: found again by name when fields may have moved since.
detail::FormFieldXml& resolve(const DocRef& ref, std::size_t& index, const std::string& name,
                              unsigned& gen)
{
    auto& d = ref.live();
    auto& fields = d.mutableFields();
    if (gen != d.fieldGeneration()) {
        // Names may repeat or be empty: the field still in its place is the one meant.
        if (index >= fields.count() || fields.at(index).name() != name)
            index = fields.find(name);
        gen = d.fieldGeneration();
    }
    if (index == detail::FormFieldIndex::npos || index >= fields.count())
        throw WordError("Il campo " + name + " non esiste più nel documento " + d.name());
    return fields.at(index);
}

} // namespace

bool DOC_CheckBox::Value() const
{
    auto index = index_;
    auto gen = gen_;
    const auto& f = resolve(ref_, index, name_, gen);
    if (f.kind != detail::FieldKind::CheckBox)
        throw WordError("Il campo " + name_ + " non è una casella di controllo");
    return f.checked();
}

void DOC_CheckBox::Value(bool ticked)
{
    auto& f = resolve(ref_, index_, name_, gen_);
    f.setChecked(ticked);
    ref_.doc->touchContent();
}

std::string DOC_FormField::Name() const
{
    // Vendrik never renames a field: while the fields stay as they were, the name the handle
    // was made with is the field's, with no need to read it again.
    if (gen_ == ref_.live().fieldGeneration())
        return name_;
    auto index = index_;
    auto gen = gen_;
    return resolve(ref_, index, name_, gen).name();
}

std::string DOC_FormField::Result() const
{
    auto index = index_;
    auto gen = gen_;
    return resolve(ref_, index, name_, gen).result();
}

void DOC_FormField::Result(const std::string& text)
{
    auto& f = resolve(ref_, index_, name_, gen_);
    // Only the result's runs are replaced: the field's own characters keep their nodes, so the
    // index stays valid, unless a field nested in the old result went with it.
    if (f.setResult(text))
        ref_.doc->touchFields();
    else
        ref_.doc->touchContent();
}

DOC_CheckBox DOC_FormField::CheckBox() const
{
    auto index = index_;
    auto gen = gen_;
    resolve(ref_, index, name_, gen);
    return DOC_CheckBox(ref_, index, name_, gen);
}

std::string DOC_FormField::StatusText() const
{
    auto index = index_;
    auto gen = gen_;
    return resolve(ref_, index, name_, gen).statusText();
}

std::string DOC_FormField::HelpText() const
{
    auto index = index_;
    auto gen = gen_;
    return resolve(ref_, index, name_, gen).helpText();
}

void DOC_FormField::Select()
{
    const auto& f = resolve(ref_, index_, name_, gen_);
    auto block = detail::blockOf(f.begin, ref_.doc->body());
    auto& app = *ref_.app;
    if (app.active != ref_.doc)
        app.activate(ref_.doc);
    app.selection.start = block;
    app.selection.end = block.next_sibling();
}

int DOC_FormFields::Count() const
{
    return static_cast<int>(ref_.live().fields().count());
}

DOC_FormField DOC_FormFields::Item(int index) const
{
    auto& d = ref_.live();
    const auto& fields = d.fields();
    if (index < 1 || static_cast<std::size_t>(index) > fields.count())
        throwFileError("Il membro richiesto della raccolta non esiste (campo "
                           + std::to_string(index) + " di " + std::to_string(fields.count()) + ")",
                       d.path().empty() ? d.name() : d.path());
    const auto i = static_cast<std::size_t>(index - 1);
    return DOC_FormField(ref_, i, fields.at(i).name(), d.fieldGeneration());
}

DOC_FormField DOC_FormFields::Item(const std::string& name) const
{
    auto& d = ref_.live();
    const auto& fields = d.fields();
    // Unnamed fields have no bookmark, so no name finds them.
    const auto i = name.empty() ? detail::FormFieldIndex::npos : fields.find(name);
    if (i == detail::FormFieldIndex::npos)
        throwFileError("Il membro richiesto della raccolta non esiste (campo " + name + ")",
                       d.path().empty() ? d.name() : d.path());
    return DOC_FormField(ref_, i, fields.at(i).name(), d.fieldGeneration());
}

bool DOC_Bookmarks::Exists(const std::string& name) const
{
    auto& d = ref_.live();
    return !name.empty() && d.fields().find(name) != detail::FormFieldIndex::npos;
}

} // namespace wordauto
