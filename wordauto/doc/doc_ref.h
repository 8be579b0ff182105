#pragma once

#include <memory>

namespace pugi {
struct xml_node_struct;
}

namespace wordauto {
namespace detail {
class DocumentModel;
struct ApplicationState;
} // namespace detail

// What every wrapper of an object inside a document holds: the instance and the document.
// Using a wrapper after its document was closed or its instance ended raises WordError.
struct DocRef {
    std::shared_ptr<detail::ApplicationState> app;
    std::shared_ptr<detail::DocumentModel> doc;

    detail::DocumentModel& live() const;
};

} // namespace wordauto
