#pragma once

// A frame for headless engine tests: it records every box, progress window and tree change,
// answers boxes from a queue, and keeps the tree as plain data.
#include "engine/frame_port.h"

#include <algorithm>
#include <deque>
#include <functional>
#include <optional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace testsupport {

struct ShownBox {
    std::string text;
    std::string caption;
    unsigned type = 0;
    bool errorBox = false;
};

struct ProgressRecord {
    std::string caption;
    std::vector<std::string> texts;
    std::vector<int> positions;
    bool cancelHidden = false;
    bool cancelDisabled = false;
    bool barHidden = false;
    bool shown = false;
    bool closed = false;
    int cancelAtItem = -1; // the flag reads TRUE from this text update on (-1: never)
};

class RecordingProgress : public engine::ProgressWindow {
public:
    explicit RecordingProgress(std::shared_ptr<ProgressRecord> r) : r_(std::move(r)) {}
    ~RecordingProgress() override { r_->closed = true; }
    void setText(const std::string& text) override { r_->texts.push_back(text); }
    void hideCancel() override { r_->cancelHidden = true; }
    void disableCancel() override { r_->cancelDisabled = true; }
    void hideBar() override { r_->barHidden = true; }
    void setRange(int, int) override {}
    int position() const override { return r_->positions.empty() ? 0 : r_->positions.back(); }
    void setPosition(int p) override { r_->positions.push_back(p); }
    bool aborted() const override
    {
        return !r_->cancelHidden && r_->cancelAtItem >= 0
            && static_cast<int>(r_->texts.size()) >= r_->cancelAtItem;
    }
    void show() override { r_->shown = true; }
    void close() override { r_->closed = true; }

private:
    std::shared_ptr<ProgressRecord> r_;
};

struct TreeNode {
    engine::TreeItem item;
    std::string parent;
    std::vector<std::string> children;
};

class RecordingFrame : public engine::FramePort {
public:
    std::vector<ShownBox> boxes;
    std::deque<engine::BoxAnswer> answers;
    std::vector<std::shared_ptr<ProgressRecord>> progress;
    std::map<int, std::string> header;
    std::string notes;
    std::map<int, bool> menu;
    std::string selected;
    int pumps = 0;
    int suspendDepth = 0;
    // Progress windows made from now on read "Annulla" pressed from their n-th text on.
    int cancelAfterTexts = -1;

    RecordingFrame() { nodes_[engine::kTreeRoot] = TreeNode{{engine::kTreeRoot, "", "", false, 0}, "", {}}; }

    engine::BoxAnswer messageBox(const std::string& text, const std::string& caption,
                                 unsigned type) override
    {
        boxes.push_back({text, caption, type, false});
        if (answers.empty())
            return (type & 0x0F) == engine::mb::YesNo ? engine::BoxAnswer::No : engine::BoxAnswer::Ok;
        auto a = answers.front();
        answers.pop_front();
        return a;
    }
    void errorBox(const std::string& text) override { boxes.push_back({text, "", 0, true}); }
    std::unique_ptr<engine::ProgressWindow> createProgress(const std::string& caption) override
    {
        auto r = std::make_shared<ProgressRecord>();
        r->caption = caption;
        r->cancelAtItem = cancelAfterTexts;
        progress.push_back(r);
        return std::make_unique<RecordingProgress>(r);
    }
    // Runs at every pass of the event loop, as a user's action would.
    std::function<void()> onPump;
    void pumpEvents() override
    {
        ++pumps;
        if (onPump)
            onPump();
    }

    void treeSuspendUpdate() override { ++suspendDepth; }
    void treeRestoreUpdate() override { --suspendDepth; }
    void treeDeleteAll() override
    {
        nodes_.clear();
        nodes_[engine::kTreeRoot] = TreeNode{{engine::kTreeRoot, "", "", false, 0}, "", {}};
        selected.clear();
    }
    bool treeAddItem(const std::string& parent, const engine::TreeItem& item) override
    {
        if (!nodes_.count(parent) || nodes_.count(item.name))
            return false;
        nodes_[item.name] = TreeNode{item, parent, {}};
        nodes_[parent].children.push_back(item.name);
        return true;
    }
    bool treeDeleteItem(const std::string& name, bool childrenOnly) override
    {
        auto it = nodes_.find(name);
        if (it == nodes_.end() || name == engine::kTreeRoot)
            return false;
        for (const auto& c : std::vector<std::string>(it->second.children))
            treeDeleteItem(c, false);
        if (childrenOnly)
            return true;
        auto& siblings = nodes_[it->second.parent].children;
        siblings.erase(std::find(siblings.begin(), siblings.end(), name));
        nodes_.erase(name);
        return true;
    }
    std::optional<engine::TreeItem> treeItem(const std::string& name) const override
    {
        auto it = nodes_.find(name);
        if (it == nodes_.end() || name == engine::kTreeRoot)
            return std::nullopt;
        return it->second.item;
    }
    void treeSetItem(const engine::TreeItem& item) override
    {
        auto it = nodes_.find(item.name);
        if (it != nodes_.end())
            it->second.item = item;
    }
    void treeSortChildren(const std::string& parent) override
    {
        auto& c = nodes_[parent].children;
        std::stable_sort(c.begin(), c.end(), [&](const std::string& a, const std::string& b) {
            return nodes_[a].item.value < nodes_[b].item.value;
        });
    }
    std::optional<engine::TreeItem> treeSelectedItem() const override { return treeItem(selected); }
    void treeExpandAll() override
    {
        const auto& top = nodes_.at(engine::kTreeRoot).children;
        if (!top.empty())
            selected = top.front();
        ++expands;
    }
    std::string dossierBox;
    std::string dossierFolderBox() const override { return dossierBox; }
    void setHeaderText(int box, const std::string& text) override { header[box] = text; }
    void setNotes(const std::string& text) override { notes = text; }
    void enableMenuItem(int id, bool enabled) override { menu[id] = enabled; }

    // The list picker: each call is recorded with its mode, and answered by `picker` (which
    // does what the picker would: files, aListPick); without one it ends as if cancelled.
    std::vector<std::string> pickerModes;
    std::function<engine::PickerEnd(const std::string& mode)> picker;
    engine::PickerEnd listPicker(const std::string& mode) override
    {
        pickerModes.push_back(mode);
        return picker ? picker(mode) : engine::PickerEnd::Cancelled;
    }
    // The picker confirmed without being shown: recorded apart, answered by `picker` too.
    std::vector<std::string> confirmedPickerModes;
    engine::PickerEnd listPickerConfirmed(const std::string& mode) override
    {
        confirmedPickerModes.push_back(mode);
        return picker ? picker(mode) : engine::PickerEnd::Cancelled;
    }

    // The tree as "name" lines, indented two blanks per level, in display order.
    std::string treeOutline() const
    {
        std::string out;
        outline(engine::kTreeRoot, 0, out);
        return out;
    }
    std::vector<std::string> childrenOf(const std::string& name) const { return nodes_.at(name).children; }
    int expands = 0;

private:
    void outline(const std::string& name, int depth, std::string& out) const
    {
        for (const auto& c : nodes_.at(name).children) {
            out += std::string(static_cast<std::size_t>(depth) * 2, ' ') + c + "\n";
            outline(c, depth + 1, out);
        }
    }
    std::map<std::string, TreeNode> nodes_;
};

} // namespace testsupport
