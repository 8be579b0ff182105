#include "data/generator/layout.h"

#include <algorithm>
#include <stdexcept>

namespace sample {

std::string kindName(const ListDef& list)
{
    static const char* const names[] = {"A1", "B1", "C1", "D1", "E1", "E2"};
    return names[list.content.index()];
}

const std::vector<ListDef>& allLists()
{
    static const std::vector<ListDef> lists = [] {
        std::vector<ListDef> all;
        for (auto part : {a1Lists(), b1Lists(), c1Lists(), d1Lists(), eLists()})
            all.insert(all.end(), part.begin(), part.end());
        std::ranges::sort(all, {}, &ListDef::number);
        return all;
    }();
    return lists;
}

const ListDef& listByNumber(const std::string& number)
{
    for (const auto& l : allLists())
        if (l.number == number)
            return l;
    throw std::logic_error("no list " + number + " in the catalogue");
}

docbuilder::Document renderList(const ListDef& list, const Filling& filling)
{
    layout::Form form(filling);
    return std::visit(
        [&](const auto& content) -> docbuilder::Document {
            using T = std::decay_t<decltype(content)>;
            if constexpr (std::is_same_v<T, A1List>)
                return layout::renderA1(list, content, form);
            else if constexpr (std::is_same_v<T, B1List>)
                return layout::renderB1(list, content, form);
            else if constexpr (std::is_same_v<T, C1List>)
                return layout::renderC1(list, content, form);
            else if constexpr (std::is_same_v<T, D1List>)
                return layout::renderD1(list, content, form);
            else if constexpr (std::is_same_v<T, E1List>)
                return layout::renderE1(list, content, form);
            else
                return layout::renderE2(list, content, form);
        },
        list.content);
}

} // namespace sample
