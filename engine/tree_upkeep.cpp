// Adding and removing lists: the picker does the file work; here the tree and the dossier's
// list array follow what it did, without reading the folder again.
#include "engine/engine.h"
#include "engine/index_lookups.h"
#include "engine/result_documents.h"

#include <algorithm>

namespace engine {

namespace {
inline constexpr const char* kModeAdd = "ADD";
inline constexpr const char* kModeDel = "DEL";

// Redrawing stays suspended for the change and is resumed however it ends.
class SuspendedTree {
public:
    explicit SuspendedTree(FramePort& frame) : frame_(frame) { frame_.treeSuspendUpdate(); }
    ~SuspendedTree() { frame_.treeRestoreUpdate(); }
    SuspendedTree(const SuspendedTree&) = delete;
    SuspendedTree& operator=(const SuspendedTree&) = delete;

private:
    FramePort& frame_;
};
} // namespace

void Engine::FNZLISTADD()
{
    FNZCLOSEALL();
    if (!frame_.listPicker(kModeAdd) || state_.aListPick.empty())
        return;
    // A copy of the numbers: the picker's result stays as it was for whoever reads it next.
    const std::vector<std::string> picked = state_.aListPick;
    {
        const SuspendedTree suspended(frame_);
        for (const auto& number : picked) {
            const IndexRow* row = findListRow(state_, number);
            if (!row || inDossier(state_, number))
                continue;
            frame_.treeAddItem(row->parent, TreeItem{row->symbol, row->number + " - " + row->title,
                                                     row->number, false, 1});
            state_.aDossierLists.push_back(number);
        }
        std::sort(state_.aDossierLists.begin(), state_.aDossierLists.end());
        frame_.treeSortChildren(kTreeRoot);
    }
    frame_.treeExpandAll();
}

void Engine::FNZLISTDEL()
{
    FNZCLOSEALL();
    if (!frame_.listPicker(kModeDel) || state_.aListPick.empty())
        return;
    const std::vector<std::string> picked = state_.aListPick;
    {
        const SuspendedTree suspended(frame_);
        for (const auto& number : picked) {
            const IndexRow* row = findListRow(state_, number);
            const auto position = dossierPosition(state_, number);
            if (!row || !position)
                continue;
            // The list's detail items go with it.
            if (frame_.treeDeleteItem(row->symbol, false))
                state_.aDossierLists.erase(state_.aDossierLists.begin()
                                           + static_cast<std::ptrdiff_t>(*position));
        }
    }
    frame_.treeExpandAll();
}

} // namespace engine
