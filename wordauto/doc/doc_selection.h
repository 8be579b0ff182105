#pragma once

#include <memory>
#include <string>

namespace wordauto {
namespace detail {
struct ApplicationState;
}

inline constexpr int wdCollapseEnd = 0;
inline constexpr int wdCollapseStart = 1;
inline constexpr int wdPageBreak = 7;

// The instance's selection in its active document, kept at the level of paragraphs and
// tables: inserted files and breaks go in between blocks.
class DOC_Selection {
public:
    explicit DOC_Selection(std::shared_ptr<detail::ApplicationState> app) : app_(std::move(app)) {}
    // Inserts the body of another document at the selection (replacing what is selected);
    // afterwards the inserted content is selected.
    void InsertFile(const std::string& path);
    void Collapse(int direction = wdCollapseStart);
    // Inserts a page break and leaves the selection after it.
    void InsertBreak(int type = wdPageBreak);

private:
    std::shared_ptr<detail::ApplicationState> app_;
};

} // namespace wordauto
