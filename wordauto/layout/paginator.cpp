#include "wordauto/layout/paginator.h"

#include <algorithm>

namespace wordauto::layout {

namespace {

std::vector<std::size_t> ends(const RowBox& row)
{
    std::vector<std::size_t> to(row.cells.size());
    for (std::size_t i = 0; i < row.cells.size(); ++i)
        to[i] = row.cells[i].content.size();
    return to;
}

// The least of a row that must go on a page: all of it when it cannot split, else the first
// line of its cells.
qreal rowStart(const RowBox& row)
{
    const std::vector<std::size_t> zero(row.cells.size(), 0);
    const qreal whole = rowHeight(row, zero, true);
    if (row.cantSplit || row.exact)
        return whole;
    qreal h = 0;
    for (const auto& c : row.cells)
        if (c.sizesRow() && !c.content.empty())
            h = std::max(h, c.margin[0] + c.margin[2] + c.content.front().height);
    return std::min(whole, h);
}

} // namespace

void Paginator::startSection(const PageFrame& frame, bool startPage)
{
    const bool sameSize = !pages_.empty() && pages_.back().size == frame.page;
    frame_ = frame;
    if (startPage || !sameSize) {
        newPage();
    } else {
        y_ = std::max(y_, frame_.body.top());
    }
}

void Paginator::newPage()
{
    Page p;
    p.size = frame_.page;
    p.section = frame_.section;
    pages_.push_back(std::move(p));
    y_ = frame_.body.top();
    hasContent_ = false;
    breakPending_ = false;
}

void Paginator::put(const Items& items, qreal x, qreal height)
{
    pages_.back().items.append(items, QPointF(x, y_));
    y_ += height;
}

qreal Paginator::keptHeight(const std::vector<FlowItem>& flow, std::size_t i, std::size_t& last) const
{
    qreal h = 0;
    for (; i < flow.size(); ++i) {
        last = i;
        if (flow[i].table) {
            if (!flow[i].table->rows.empty())
                h += rowStart(flow[i].table->rows.front());
            return h;
        }
        h += flow[i].slice.height;
        if (!flow[i].slice.keepWithNext || flow[i].slice.forceBreakAfter)
            return h - flow[i].slice.spaceAfter;
        if (i + 1 < flow.size() && !flow[i + 1].table
            && (flow[i + 1].slice.forceBreak || flow[i + 1].slice.breakBefore))
            return h;
    }
    return h;
}

void Paginator::placeSlice(std::vector<FlowItem>& flow, std::size_t i)
{
    Slice& s = flow[i].slice;
    if (breakPending_ || s.forceBreak || (s.breakBefore && hasContent_))
        newPage();
    // Space after the last paragraph of a page may run into the bottom margin.
    const qreal own = s.height - s.spaceAfter;
    qreal need = own;
    // A kept chain is measured once, at its start: its later slices only need their own room.
    if (s.keepWithNext && !(chainDecided_ && i <= chainDecidedTo_)) {
        std::size_t last = i;
        need = keptHeight(flow, i, last);
        chainDecided_ = true;
        chainDecidedTo_ = last;
    }
    if (hasContent_ && need > remaining() && (need <= frame_.body.height() || own > remaining()))
        newPage();
    put(s.items, frame_.body.left(), s.height);
    hasContent_ = true;
    breakPending_ = s.forceBreakAfter;
    s.items = Items{}; // placed: the page holds the copy
}

void Paginator::place(std::vector<FlowItem>& flow)
{
    chainDecided_ = false;
    for (std::size_t i = 0; i < flow.size(); ++i) {
        if (flow[i].table) {
            if (breakPending_)
                newPage();
            placeTable(*flow[i].table);
            flow[i].table.reset();
        } else {
            placeSlice(flow, i);
        }
    }
}

void Paginator::repeatHeaders()
{
    if (!headerTable_)
        return;
    for (std::size_t r = 0; r < headerRows_; ++r) {
        const RowBox& row = headerTable_->rows[r];
        const std::vector<std::size_t> zero(row.cells.size(), 0);
        const qreal h = rowHeight(row, zero, true);
        Items items;
        drawRow(row, zero, ends(row), h, true, items, QPointF(0, 0));
        put(items, frame_.body.left() + headerTable_->x, h);
    }
}

void Paginator::placeTable(const TableBox& table)
{
    std::size_t headers = 0;
    while (headers < table.rows.size() && table.rows[headers].header)
        ++headers;
    // Header rows repeat only when rows follow them and they leave room for those rows.
    qreal headerHeight = 0;
    for (std::size_t r = 0; r < headers; ++r)
        headerHeight += rowHeight(table.rows[r], std::vector<std::size_t>(table.rows[r].cells.size(), 0), true);
    const bool repeat = headers > 0 && headers < table.rows.size() && headerHeight < frame_.body.height() / 2;

    for (std::size_t r = 0; r < table.rows.size(); ++r) {
        const bool repeatNow = repeat && r >= headers;
        headerTable_ = repeatNow ? &table : nullptr;
        headerRows_ = repeatNow ? headers : 0;
        placeRow(table, table.rows[r], repeatNow);
    }
    headerTable_ = nullptr;
    headerRows_ = 0;
}

void Paginator::placeRow(const TableBox& table, const RowBox& row, bool withHeaders)
{
    const qreal x = frame_.body.left() + table.x;
    std::vector<std::size_t> from(row.cells.size(), 0);
    const std::vector<std::size_t> all = ends(row);
    bool first = true;
    auto pageBreak = [&] {
        newPage();
        if (withHeaders)
            repeatHeaders();
    };
    for (;;) {
        const qreal need = rowHeight(row, from, first);
        if (need <= remaining()) {
            Items items;
            drawRow(row, from, all, need, first, items, QPointF(0, 0));
            put(items, x, need);
            hasContent_ = true;
            return;
        }
        // Splitting: each cell's lines that fit.
        std::vector<std::size_t> to = from;
        bool any = false;
        qreal part = 0;
        if (!(row.exact && first)) {
            for (std::size_t i = 0; i < row.cells.size(); ++i) {
                const CellBox& c = row.cells[i];
                if (!c.sizesRow())
                    continue;
                qreal used = c.margin[0] + c.margin[2];
                while (to[i] < c.content.size() && used + c.content[to[i]].height <= remaining()) {
                    used += c.content[to[i]].height;
                    ++to[i];
                }
                any = any || to[i] > from[i];
                part = std::max(part, used);
            }
        }
        if (hasContent_ && (!any || row.cantSplit || (row.exact && first))) {
            pageBreak();
            continue;
        }
        if (!any) {
            // The page is empty and still too short: the first line of each cell goes here
            // anyway, or, with nothing to split, the whole row.
            for (std::size_t i = 0; i < row.cells.size(); ++i)
                if (row.cells[i].sizesRow() && to[i] < all[i]) {
                    ++to[i];
                    any = true;
                }
            if (!any || (row.exact && first)) {
                Items items;
                drawRow(row, from, all, need, first, items, QPointF(0, 0));
                put(items, x, need);
                hasContent_ = true;
                return;
            }
            part = 0;
            for (std::size_t i = 0; i < row.cells.size(); ++i) {
                const CellBox& c = row.cells[i];
                qreal used = c.margin[0] + c.margin[2];
                for (std::size_t k = from[i]; k < to[i]; ++k)
                    used += c.content[k].height;
                part = std::max(part, used);
            }
        }
        Items items;
        drawRow(row, from, to, part, first, items, QPointF(0, 0));
        put(items, x, part);
        hasContent_ = true;
        from = to;
        first = false;
        bool done = true;
        for (std::size_t i = 0; i < row.cells.size(); ++i)
            done = done && (!row.cells[i].sizesRow() || from[i] == all[i]);
        if (done)
            return;
        pageBreak();
    }
}

} // namespace wordauto::layout
