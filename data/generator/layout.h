#pragma once

// Pieces that every list document shares: the fields handed out from a filling, the heading,
// table captions and header rows, the measures table and the notes field.

#include "data/generator/lists.h"

#include <set>
#include <string>
#include <vector>

namespace sample::layout {

namespace db = docbuilder;

// Width of the text between the side margins, in twentieths of a point.
inline constexpr int kTextWidth = 9638;

// A prefix, the row number in three digits and an optional letter: rowName("t1c", 7, "a").
std::string rowName(const std::string& prefix, int row, const std::string& suffix = {});
std::string threeDigits(int row);

// Hands out the fields of one document with what the filling entered in them, and keeps the
// names it made, so that a filling naming a field the list lacks is caught as a slip.
class Form {
public:
    explicit Form(const Filling& filling) : filling_(filling) {}

    db::TextField text(const std::string& name, std::string statusText = {});
    db::CheckBox box(const std::string& name, std::string statusText = {}, std::string helpText = {});
    // Throws std::logic_error naming the list and the field.
    void checkFilling(const std::string& number) const;

private:
    std::string nameFor(const std::string& name);

    const Filling& filling_;
    std::set<std::string> made_;
};

// An empty line, the table's title and the table.
void addTable(std::vector<db::Block>& body, const std::string& title, db::Table table);
db::Row header(const std::vector<std::string>& captions);
// The row number as the first column shows it.
db::Cell number(int row);

// A measures table from `row` on (advanced past it): selection field sel + nnn, the measure,
// description field desc + nnn and implemented box box + nnn.
db::Table measuresTable(Form& form, int& row, const std::vector<std::string>& texts,
                        const std::string& sel, const std::string& desc, const std::string& box,
                        const std::string& what);

// Heading, the body, the notes field; protected for filling in, page numbers in the footer.
db::Document listDocument(const ListDef& list, std::vector<db::Block> body, Form& form);

// The layout of each kind, in the source file of its lists.
db::Document renderA1(const ListDef& list, const A1List& a1, Form& form);
db::Document renderB1(const ListDef& list, const B1List& b1, Form& form);
db::Document renderC1(const ListDef& list, const C1List& c1, Form& form);
db::Document renderD1(const ListDef& list, const D1List& d1, Form& form);
db::Document renderE1(const ListDef& list, const E1List& e1, Form& form);
db::Document renderE2(const ListDef& list, const E2List& e2, Form& form);

} // namespace sample::layout
