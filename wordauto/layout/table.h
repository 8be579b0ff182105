#pragma once

// Tables measured into rows of cells, each cell's content a list of slices, so that the
// paginator can break a row between lines of its cells.

#include "wordauto/layout/flow.h"

#include <vector>

namespace wordauto::layout {

struct CellBox {
    qreal x = 0, width = 0;
    qreal margin[4] = {0, 5.4, 0, 5.4}; // top, left, bottom, right
    Border border[4];                  // top, left, bottom, right
    std::optional<QRgb> fill;
    int vAlign = 0;                    // 0 top, 1 center, 2 bottom
    int merge = 0;                     // 0 alone, 1 first of a vertical merge, 2 merged into the cell above
    int mergedRows = 1;                // for the first cell of a merge: the rows it covers
    bool mergeEnds = true;             // no cell below is merged into this one
    std::vector<Slice> content;

    // Its content counts in its own row's height (a merge spanning rows counts in the last).
    bool sizesRow() const { return merge == 0 || (merge == 1 && mergedRows == 1); }
};

struct RowBox {
    std::vector<CellBox> cells;
    qreal minHeight = 0;
    bool exact = false;
    bool cantSplit = false;
    bool header = false;
};

struct TableBox {
    std::vector<RowBox> rows;
    qreal x = 0; // from the left edge of the space the table stands in
};

// Lays out the table `width` wide space; nested tables are measured as slices.
TableBox measureTable(LayoutContext& ctx, pugi::xml_node tbl, qreal width);

// The height the row needs for each cell's slices from `from` on; `first`: the row's first
// part, which its minimum height applies to.
qreal rowHeight(const RowBox& row, const std::vector<std::size_t>& from, bool first);
// Draws the row's cells with slices [from, to) at `origin`, `height` high.
void drawRow(const RowBox& row, const std::vector<std::size_t>& from,
             const std::vector<std::size_t>& to, qreal height, bool first, Items& out,
             QPointF origin);

} // namespace wordauto::layout
