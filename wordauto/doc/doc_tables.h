#pragma once

#include "wordauto/doc/doc_ref.h"

#include <string>

namespace wordauto {

// The text of a cell (paragraphs joined by CR, ending in the end-of-cell mark CR BEL).
class DOC_Range {
public:
    DOC_Range(DocRef ref, pugi::xml_node_struct* cell, unsigned gen)
        : ref_(std::move(ref)), cell_(cell), gen_(gen) {}
    std::string Text_() const;
    // Replaces the cell's text, keeping the look of its first paragraph and run.
    void Text_(const std::string& text);

private:
    DocRef ref_;
    pugi::xml_node_struct* cell_;
    unsigned gen_;
};

class DOC_Cell {
public:
    DOC_Cell(DocRef ref, pugi::xml_node_struct* cell, unsigned gen)
        : ref_(std::move(ref)), cell_(cell), gen_(gen) {}
    DOC_Range Range() const& { return DOC_Range(ref_, cell_, gen_); }
    DOC_Range Range() && { return DOC_Range(std::move(ref_), cell_, gen_); }

private:
    DocRef ref_;
    pugi::xml_node_struct* cell_;
    unsigned gen_;
};

class DOC_Row {
public:
    DOC_Row(DocRef ref, pugi::xml_node_struct* row, unsigned gen)
        : ref_(std::move(ref)), row_(row), gen_(gen) {}
    DOC_Cell Cells(int column) const;
    int CellCount() const;

private:
    friend class DOC_Rows;
    DocRef ref_;
    pugi::xml_node_struct* row_;
    unsigned gen_;
};

class DOC_Rows {
public:
    DOC_Rows(DocRef ref, pugi::xml_node_struct* table, unsigned gen)
        : ref_(std::move(ref)), table_(table), gen_(gen) {}
    int Count() const;
    DOC_Row Item(int index) const;
    // Inserts an empty row formatted like `before`, before it.
    DOC_Row Add(const DOC_Row& before);
    // Appends an empty row formatted like the last one.
    DOC_Row Add();

private:
    DocRef ref_;
    pugi::xml_node_struct* table_;
    unsigned gen_;
};

class DOC_Table {
public:
    DOC_Table(DocRef ref, pugi::xml_node_struct* table, unsigned gen)
        : ref_(std::move(ref)), table_(table), gen_(gen) {}
    DOC_Rows Rows() const { return DOC_Rows(ref_, table_, gen_); }
    // Row and column from 1, the column counted among the row's cells.
    DOC_Cell Cell(int row, int column) const;

private:
    DocRef ref_;
    pugi::xml_node_struct* table_;
    unsigned gen_;
};

// The tables of the main story (nested tables are part of their cells).
class DOC_Tables {
public:
    explicit DOC_Tables(DocRef ref) : ref_(std::move(ref)) {}
    int Count() const;
    DOC_Table Item(int index) const;

private:
    DocRef ref_;
};

} // namespace wordauto
