#include "wordauto/doc/doc_properties.h"

#include "wordauto/oxml/document_model.h"
#include "wordauto/layout/page_count.h"
#include "wordauto/word_error.h"

#include <string>

namespace wordauto {

DOC_DocumentProperty DOC_BuiltInDocumentProperties::Item(int index) const
{
    auto& d = ref_.live();
    if (index != wdPropertyPages)
        throwFileError("La proprietà del documento " + std::to_string(index) + " non è disponibile",
                       d.path().empty() ? d.name() : d.path());
    return DOC_DocumentProperty(ref_);
}

long DOC_DocumentProperty::Value() const
{
    return layout::pageCount(ref_.live());
}

} // namespace wordauto
