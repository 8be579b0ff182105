#include "wordauto/layout/table.h"

#include "wordauto/oxml/xml_util.h"

#include <algorithm>
#include <cmath>

namespace wordauto::layout {

namespace {

constexpr qreal kMaxColumn = 1584;
constexpr qreal kFallbackColumn = 36;

qreal contentHeight(const std::vector<Slice>& slices, std::size_t from, std::size_t to)
{
    qreal h = 0;
    for (std::size_t i = from; i < to && i < slices.size(); ++i)
        h += slices[i].height;
    return h;
}

void drawBorder(Items& out, QPointF a, QPointF b, const Border& border)
{
    if (border.width > 0)
        out.lines.push_back(LineItem{QLineF(a, b), border.width, border.color});
}

struct Grid {
    std::vector<qreal> columns;
    std::vector<qreal> starts; // starts[i]: left edge of column i; one more for the right end

    void finish()
    {
        starts.assign(1, 0);
        for (qreal c : columns)
            starts.push_back(starts.back() + c);
    }
    qreal offset(std::size_t col) const { return starts[std::min(col, starts.size() - 1)]; }
};

// Grid columns a row leaves empty before its first cell.
std::size_t gridBefore(pugi::xml_node tr, std::size_t columns)
{
    const int n = tr.child("w:trPr").child("w:gridBefore").attribute("w:val").as_int();
    return std::min(static_cast<std::size_t>(std::max(0, n)), columns);
}

Grid readGrid(pugi::xml_node tbl)
{
    Grid g;
    for (auto c : tbl.child("w:tblGrid").children("w:gridCol"))
        g.columns.push_back(std::clamp(twips(c.attribute("w:w")), 0.0, kMaxColumn));
    return g;
}

// The cell margin, border and shading of a cell from the table's and its own properties.
void cellProperties(CellBox& cell, pugi::xml_node tcPr, const TableProps& table, bool firstRow,
                    bool lastRow, bool firstCol, bool lastCol)
{
    for (int side = 0; side < 4; ++side)
        if (table.margin[side])
            cell.margin[side] = *table.margin[side];
    std::optional<double> own[4];
    readMargins(tcPr.child("w:tcMar"), own);
    for (int side = 0; side < 4; ++side)
        if (own[side])
            cell.margin[side] = *own[side];

    auto fromTable = [&](Side outer, Side inner, bool isOuter) {
        const auto& b = table.border[static_cast<int>(isOuter ? outer : inner)];
        return b.value_or(Border{});
    };
    cell.border[0] = fromTable(Side::Top, Side::InsideH, firstRow);
    cell.border[1] = fromTable(Side::Left, Side::InsideV, firstCol);
    cell.border[2] = fromTable(Side::Bottom, Side::InsideH, lastRow);
    cell.border[3] = fromTable(Side::Right, Side::InsideV, lastCol);
    std::optional<Border> tc[6];
    readBorders(tcPr.child("w:tcBorders"), tc);
    for (int side = 0; side < 4; ++side)
        if (tc[side])
            cell.border[side] = *tc[side];

    cell.fill = table.shading;
    if (auto shd = tcPr.child("w:shd"))
        cell.fill = shadingFill(shd);
    const std::string_view v = detail::childVal(tcPr, "w:vAlign");
    cell.vAlign = v == "center" ? 1 : v == "bottom" ? 2 : 0;
}

// Nested tables as slices, one per row; below the depth bound, their paragraphs in order.
void nestedTable(LayoutContext& ctx, pugi::xml_node tbl, qreal width, std::vector<Slice>& out)
{
    if (ctx.tableDepth >= kMaxTableDepth) {
        for (auto n = tbl.first_child(); n;) {
            if (isElement(n, "w:p")) {
                measureParagraph(ctx, n, width, {}, out);
                n = detail::nextSkippingChildren(n, tbl);
            } else {
                n = detail::nextInOrder(n, tbl);
            }
        }
        return;
    }
    TableBox t = measureTable(ctx, tbl, width);
    for (auto& row : t.rows) {
        const std::vector<std::size_t> from(row.cells.size(), 0);
        std::vector<std::size_t> to(row.cells.size());
        for (std::size_t i = 0; i < row.cells.size(); ++i)
            to[i] = row.cells[i].content.size();
        Slice s;
        s.height = rowHeight(row, from, true);
        drawRow(row, from, to, s.height, true, s.items, QPointF(t.x, 0));
        out.push_back(std::move(s));
    }
}

} // namespace

void measureBlocks(LayoutContext& ctx, pugi::xml_node container, qreal width,
                   const std::string& tableStyle, std::vector<Slice>& out)
{
    forEachBlock(container, [&](pugi::xml_node n) {
        if (isElement(n, "w:p"))
            measureParagraph(ctx, n, width, tableStyle, out);
        else
            nestedTable(ctx, n, width, out);
    });
}

TableBox measureTable(LayoutContext& ctx, pugi::xml_node tbl, qreal width)
{
    ++ctx.tableDepth;
    struct DepthGuard {
        LayoutContext& c;
        ~DepthGuard() { --c.tableDepth; }
    } guard{ctx};

    auto tblPr = tbl.child("w:tblPr");
    std::string styleId(detail::childVal(tblPr, "w:tblStyle"));
    if (styleId.empty())
        styleId = ctx.styles().defaultTableStyle();
    TableProps props = ctx.styles().table(styleId);
    props.apply(tblPr);

    Grid grid = readGrid(tbl);
    std::vector<pugi::xml_node> rows;
    for (auto tr : tbl.children("w:tr"))
        rows.push_back(tr);

    // Cells beyond the grid get columns of their own width.
    for (auto tr : rows) {
        std::size_t col = gridBefore(tr, grid.columns.size());
        for (auto tc : tr.children("w:tc")) {
            auto tcPr = tc.child("w:tcPr");
            const auto span = static_cast<std::size_t>(
                std::clamp(tcPr.child("w:gridSpan").attribute("w:val").as_int(1), 1, 64));
            const qreal w = std::clamp(twips(tcPr.child("w:tcW").attribute("w:w")), 0.0, kMaxColumn);
            while (grid.columns.size() < col + span)
                grid.columns.push_back(w > 0 ? w / static_cast<qreal>(span) : kFallbackColumn);
            col += span;
        }
    }

    grid.finish();
    TableBox out;
    const qreal total = grid.starts.back();
    out.x = props.indent.value_or(0);
    if (props.align == Align::Center)
        out.x = (width - total) / 2;
    else if (props.align == Align::Right)
        out.x = width - total;

    // Start column of each cell, to find the cell a vertical merge continues.
    std::vector<std::vector<std::size_t>> starts(rows.size());
    out.rows.resize(rows.size());
    for (std::size_t r = 0; r < rows.size(); ++r) {
        auto tr = rows[r];
        auto trPr = tr.child("w:trPr");
        RowBox& row = out.rows[r];
        row.cantSplit = detail::onOff(trPr.child("w:cantSplit"), false);
        row.header = detail::onOff(trPr.child("w:tblHeader"), false);
        if (auto h = trPr.child("w:trHeight")) {
            row.minHeight = std::clamp(twips(h.attribute("w:val")), 0.0, kMaxColumn);
            row.exact = std::string_view(h.attribute("w:hRule").value()) == "exact";
        }
        std::size_t col = gridBefore(tr, grid.columns.size());
        for (auto tc : tr.children("w:tc")) {
            auto tcPr = tc.child("w:tcPr");
            const std::size_t span = std::min<std::size_t>(
                static_cast<std::size_t>(std::clamp(tcPr.child("w:gridSpan").attribute("w:val").as_int(1), 1, 64)),
                grid.columns.size() - std::min(col, grid.columns.size()));
            CellBox cell;
            cell.x = grid.offset(col);
            cell.width = grid.offset(col + span) - cell.x;
            cellProperties(cell, tcPr, props, r == 0, r + 1 == rows.size(), col == 0,
                           col + span >= grid.columns.size());
            if (auto vm = tcPr.child("w:vMerge"))
                cell.merge = std::string_view(vm.attribute("w:val").value()) == "restart" ? 1 : 2;
            if (cell.merge != 2) {
                const qreal inner = std::max<qreal>(1, cell.width - cell.margin[1] - cell.margin[3]);
                measureBlocks(ctx, tc, inner, styleId, cell.content);
            }
            starts[r].push_back(col);
            row.borderTop = std::max(row.borderTop, cell.border[0].width);
            if (r + 1 == rows.size())
                row.borderBottom = std::max(row.borderBottom, cell.border[2].width);
            row.cells.push_back(std::move(cell));
            col += std::max<std::size_t>(span, 1);
        }
    }

    // Vertical merges: the first cell covers the rows merged into it; what its content needs
    // beyond their own heights goes to the last of them.
    for (std::size_t r = 0; r < out.rows.size(); ++r) {
        for (std::size_t c = 0; c < out.rows[r].cells.size(); ++c) {
            CellBox& head = out.rows[r].cells[c];
            if (head.merge != 1)
                continue;
            const std::size_t col = starts[r][c];
            std::size_t last = r;
            CellBox* above = &head;
            for (std::size_t below = r + 1; below < out.rows.size(); ++below) {
                auto& cols = starts[below];
                auto it = std::find(cols.begin(), cols.end(), col);
                if (it == cols.end())
                    break;
                CellBox& next = out.rows[below].cells[static_cast<std::size_t>(it - cols.begin())];
                if (next.merge != 2)
                    break;
                above->mergeEnds = false;
                above = &next;
                last = below;
            }
            head.mergedRows = static_cast<int>(last - r + 1);
            if (last == r)
                continue;
            qreal spanned = 0;
            for (std::size_t i = r; i <= last; ++i) {
                const std::vector<std::size_t> zero(out.rows[i].cells.size(), 0);
                spanned += rowHeight(out.rows[i], zero, true);
            }
            const qreal need = contentHeight(head.content, 0, head.content.size()) + head.margin[0] + head.margin[2];
            if (need > spanned && !out.rows[last].exact) {
                const std::vector<std::size_t> zero(out.rows[last].cells.size(), 0);
                out.rows[last].minHeight = rowHeight(out.rows[last], zero, true) + need - spanned;
            }
        }
    }
    return out;
}

qreal rowHeight(const RowBox& row, const std::vector<std::size_t>& from, bool first)
{
    if (row.exact && first)
        return row.minHeight;
    // Horizontal borders take room of their own between the rows' contents.
    qreal h = 0;
    const qreal borders = row.borderTop + row.borderBottom;
    for (std::size_t i = 0; i < row.cells.size(); ++i) {
        const CellBox& c = row.cells[i];
        if (!c.sizesRow())
            continue;
        h = std::max(h, c.margin[0] + c.margin[2] + contentHeight(c.content, from[i], c.content.size()));
    }
    h += borders;
    return first ? std::max(h, row.minHeight) : h;
}

void drawRow(const RowBox& row, const std::vector<std::size_t>& from,
             const std::vector<std::size_t>& to, qreal height, bool first, Items& out, QPointF origin)
{
    for (std::size_t i = 0; i < row.cells.size(); ++i) {
        const CellBox& c = row.cells[i];
        const QRectF box(origin.x() + c.x, origin.y(), c.width, height);
        if (c.fill)
            out.fills.push_back(FillItem{box, *c.fill});
        if (c.merge != 2)
            drawBorder(out, box.topLeft(), box.topRight(), c.border[0]);
        drawBorder(out, box.topLeft(), box.bottomLeft(), c.border[1]);
        if (c.mergeEnds)
            drawBorder(out, box.bottomLeft(), box.bottomRight(), c.border[2]);
        drawBorder(out, box.topRight(), box.bottomRight(), c.border[3]);

        // A merge's content is drawn once, from the top of its first row.
        const bool whole = !c.sizesRow();
        if (whole && (!first || c.merge != 1))
            continue;
        const std::size_t a = whole ? 0 : from[i];
        const std::size_t b = whole ? c.content.size() : to[i];
        const qreal used = contentHeight(c.content, a, b);
        qreal y = box.top() + c.margin[0] + row.borderTop;
        const qreal free = height - c.margin[0] - c.margin[2] - row.borderTop - row.borderBottom - used;
        if (first && b == c.content.size() && free > 0 && !whole)
            y += c.vAlign == 1 ? free / 2 : c.vAlign == 2 ? free : 0;
        for (std::size_t s = a; s < b; ++s) {
            out.append(c.content[s].items, QPointF(box.left() + c.margin[1], y));
            y += c.content[s].height;
        }
    }
}

} // namespace wordauto::layout
