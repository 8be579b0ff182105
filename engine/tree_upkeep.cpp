// Adding and removing lists: the picker does the file work; here the tree and the dossier's
// list array follow what it did, without reading the folder again.
#include "engine/engine.h"
#include "engine/number_index.h"

#include <algorithm>
#include <vector>

namespace engine {

namespace {
inline constexpr const char* kModeAdd = "ADD";
inline constexpr const char* kModeDel = "DEL";

// Drops the marked elements, keeping the order of the rest.
void closeUp(std::vector<std::string>& lists, const std::vector<bool>& removed)
{
    std::size_t kept = 0;
    for (std::size_t i = 0; i < lists.size(); ++i)
        if (!removed[i]) {
            if (kept != i)
                lists[kept] = std::move(lists[i]);
            ++kept;
        }
    lists.resize(kept);
}
} // namespace

void Engine::FNZLISTADD()
{
    FNZCLOSEALL();
    // Work cut short by a cancel still happened on disk: the tree follows it too.
    if (frame_.listPicker(kModeAdd) == PickerEnd::Cancelled || state_.aListPick.empty())
        return;
    // A copy of the numbers: the picker's result stays as it was for whoever reads it next.
    const std::vector<std::string> picked = state_.aListPick;
    {
        const TreeUpdateSuspension suspended(frame_);
        const NumberIndex<IndexRow> listRows(state_.aListIndex);
        NumberIndex<std::string> dossier(state_.aDossierLists);
        for (const auto& number : picked) {
            const IndexRow* row = listRows.find(number);
            if (!row || dossier.contains(number))
                continue;
            frame_.treeAddItem(row->parent, TreeItem{row->symbol, row->number + " - " + row->title,
                                                     row->number, false, 1});
            state_.aDossierLists.push_back(number);
            dossier.appended(); // a number picked twice is then found and added once
        }
        std::sort(state_.aDossierLists.begin(), state_.aDossierLists.end());
        frame_.treeSortChildren(kTreeRoot);
    }
    frame_.treeExpandAll();
}

void Engine::FNZLISTDEL()
{
    FNZCLOSEALL();
    if (frame_.listPicker(kModeDel) == PickerEnd::Cancelled || state_.aListPick.empty())
        return;
    const std::vector<std::string> picked = state_.aListPick;
    {
        const TreeUpdateSuspension suspended(frame_);
        const NumberIndex<IndexRow> listRows(state_.aListIndex);
        const NumberIndex<std::string> dossier(state_.aDossierLists);
        // Removed places are marked and the array closed up once at the end: erasing in the
        // loop would move the rest of the array, and make the index be built again, per list.
        std::vector<bool> removed(state_.aDossierLists.size(), false);
        for (const auto& number : picked) {
            const IndexRow* row = listRows.find(number);
            const std::size_t position = dossier.position(number);
            // A place already removed means the number was picked again: its item (named by the
            // same first row) is gone from the tree, so no later copy could be removed either.
            if (!row || position == NumberIndex<std::string>::npos || removed[position])
                continue;
            // The list's detail items go with it.
            if (frame_.treeDeleteItem(row->symbol, false))
                removed[position] = true;
        }
        closeUp(state_.aDossierLists, removed);
    }
    frame_.treeExpandAll();
}

} // namespace engine
