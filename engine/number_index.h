#pragma once

#include "engine/program_state.h"

#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

namespace engine {

// The number an element of a list array is looked up by: element 1 of an index row, the whole
// element of a number array (aDossierLists, the picker's numbers).
inline const std::string& numberOf(const IndexRow& row) { return row.number; }
inline const std::string& numberOf(const std::string& number) { return number; }

// "The first element exactly equal to the number" of one array, as a search from the front finds
// it, answered from a hash table instead of a walk: when a number stands in the array twice, the
// first one is the answer, so the first row of a number keeps deciding.
//
// Build it once per load or command over the array it answers for (which must outlive it):
//
//     const NumberIndex<IndexRow> listRows(state.aListIndex);
//     if (const IndexRow* row = listRows.find(number)) ...
//     const NumberIndex<std::string> dossier(state.aDossierLists);
//     if (!dossier.contains(number)) { state.aDossierLists.push_back(number); dossier.appended(); }
//
// It keeps in step with its array by itself only as far as it can see: an element pushed at the
// back is taken in by `appended` at no cost, and any change of the array's length or storage
// (an element erased or inserted, the array emptied and filled again) makes the next lookup build
// it anew. A change that keeps both (the array sorted, an element overwritten) it cannot see:
// call `rebuild` after one.
template <typename Element>
class NumberIndex {
public:
    static constexpr std::size_t npos = static_cast<std::size_t>(-1);

    explicit NumberIndex(const std::vector<Element>& elements) : elements_(&elements) { rebuild(); }

    // Where the first element of that number stands (from 0), or npos.
    std::size_t position(const std::string& number) const
    {
        if (elements_->size() != size_ || elements_->data() != data_)
            rebuild();
        const auto it = first_.find(number);
        return it == first_.end() ? npos : it->second;
    }
    // The first element of that number, or nullptr.
    const Element* find(const std::string& number) const
    {
        const std::size_t at = position(number);
        return at == npos ? nullptr : &(*elements_)[at];
    }
    bool contains(const std::string& number) const { return position(number) != npos; }

    // The array's last element was just pushed: it answers for its number unless an earlier
    // element already does.
    void appended()
    {
        if (elements_->size() != size_ + 1) {
            rebuild(); // not one push: take the whole array again
            return;
        }
        first_.try_emplace(numberOf(elements_->back()), size_);
        size_ = elements_->size();
        data_ = elements_->data();
    }

    // Takes the array again as it is now.
    void rebuild() const
    {
        first_.clear();
        first_.reserve(elements_->size());
        for (std::size_t i = 0; i < elements_->size(); ++i)
            first_.try_emplace(numberOf((*elements_)[i]), i);
        size_ = elements_->size();
        data_ = elements_->data();
    }

private:
    const std::vector<Element>* elements_;
    mutable std::unordered_map<std::string, std::size_t> first_;
    mutable std::size_t size_ = 0;
    mutable const Element* data_ = nullptr;
};

} // namespace engine
