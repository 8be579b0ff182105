#include "wordauto/opc/relationships_memo.h"

#include <mutex>

namespace wordauto::opc {

namespace {

struct Memo {
    std::mutex lock;
    std::optional<StoredPart> part;
    std::vector<Relationship> rels;
};

Memo& memo()
{
    static Memo m;
    return m;
}

} // namespace

std::optional<std::vector<Relationship>> rememberedRelationships(const StoredPart& part)
{
    auto& m = memo();
    std::lock_guard guard(m.lock);
    if (m.part && *m.part == part)
        return m.rels;
    return std::nullopt;
}

void rememberRelationships(StoredPart part, std::vector<Relationship> rels)
{
    auto& m = memo();
    std::lock_guard guard(m.lock);
    m.part = std::move(part);
    m.rels = std::move(rels);
}

} // namespace wordauto::opc
