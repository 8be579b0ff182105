#pragma once

// Places measured slices and table rows on pages: keeps what must stay together, breaks
// where the story asks, splits rows that may split and repeats header rows.

#include "wordauto/layout/table.h"

#include <memory>
#include <vector>

namespace wordauto::layout {

// A paragraph line or a whole top-level table, in story order.
struct FlowItem {
    Slice slice;
    std::unique_ptr<TableBox> table;
};

struct PageFrame {
    QSizeF page;
    QRectF body; // where the story goes
    int section = 0;
};

class Paginator {
public:
    explicit Paginator(std::vector<Page>& pages) : pages_(pages) {}

    // Starts a section: on a new page, or (a continuous section) where the last one ended.
    void startSection(const PageFrame& frame, bool newPage);
    void place(std::vector<FlowItem>& flow);

private:
    void newPage();
    qreal remaining() const { return frame_.body.bottom() - y_; }
    void put(const Items& items, qreal x, qreal height);
    void placeSlice(std::vector<FlowItem>& flow, std::size_t i);
    void placeTable(const TableBox& table);
    void placeRow(const TableBox& table, const RowBox& row, bool repeatHeaders);
    void repeatHeaders();
    // What must go on one page from flow[i] on: its keep-with-next chain and the start of
    // what follows it.
    // Also gives the index of the chain's last slice.
    qreal keptHeight(const std::vector<FlowItem>& flow, std::size_t i, std::size_t& last) const;

    std::vector<Page>& pages_;
    PageFrame frame_;
    qreal y_ = 0;
    bool hasContent_ = false; // the page holds more than repeated header rows
    bool breakPending_ = false;
    std::size_t chainDecidedTo_ = 0; // slices of a kept chain up to here were already placed as one
    bool chainDecided_ = false;
    const TableBox* headerTable_ = nullptr;
    std::size_t headerRows_ = 0;
};

} // namespace wordauto::layout
