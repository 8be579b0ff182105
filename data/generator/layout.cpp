#include "data/generator/layout.h"

#include <cstdio>
#include <stdexcept>

namespace sample::layout {

std::string threeDigits(int row)
{
    char buf[8];
    std::snprintf(buf, sizeof buf, "%03d", row);
    return buf;
}

std::string rowName(const std::string& prefix, int row, const std::string& suffix)
{
    return prefix + threeDigits(row) + suffix;
}

std::string Form::nameFor(const std::string& name)
{
    made_.insert(name);
    auto r = filling_.renamed.find(name);
    return r == filling_.renamed.end() ? name : r->second;
}

db::TextField Form::text(const std::string& name, std::string statusText)
{
    auto v = filling_.text.find(name);
    db::TextField f{nameFor(name), v == filling_.text.end() ? "" : v->second, std::move(statusText)};
    return f;
}

db::CheckBox Form::box(const std::string& name, std::string statusText, std::string helpText)
{
    if (filling_.withoutHelpText.contains(name))
        helpText.clear();
    return db::CheckBox{nameFor(name), filling_.ticked.contains(name), std::move(statusText),
                        std::move(helpText)};
}

void Form::checkFilling(const std::string& number) const
{
    auto check = [&](const std::string& name) {
        if (!made_.contains(name))
            throw std::logic_error("list " + number + " has no field " + name);
    };
    for (const auto& [name, value] : filling_.text)
        check(name);
    for (const auto& name : filling_.ticked)
        check(name);
    for (const auto& [name, to] : filling_.renamed)
        check(name);
    for (const auto& name : filling_.withoutHelpText)
        check(name);
}

void addTable(std::vector<db::Block>& body, const std::string& title, db::Table table)
{
    // A check list's row is read as one item: it never breaks across pages.
    for (auto& row : table.rows)
        row.cantSplit = true;
    body.emplace_back(std::in_place_type<db::Paragraph>);
    body.emplace_back(std::in_place_type<db::Paragraph>, db::bold(title));
    body.emplace_back(std::in_place_type<db::Table>, std::move(table));
}

db::Row header(const std::vector<std::string>& captions)
{
    db::Row r;
    for (const auto& c : captions)
        r.cells.push_back(db::bold(c));
    return r;
}

db::Cell number(int row)
{
    return db::Cell(std::to_string(row));
}

db::Table measuresTable(Form& form, int& row, const std::vector<std::string>& texts,
                        const std::string& sel, const std::string& desc, const std::string& box,
                        const std::string& what)
{
    db::Table t;
    // "Sel." holds an empty text field on one line: its placeholder is five en spaces wide.
    t.columnWidths = {500, 900, 3938, 3000, 1300};
    t.rows.push_back(header({"N.", "Sel.", what, "Descrizione", "Attuato"}));
    for (const auto& text : texts) {
        t.rows.push_back(db::row({number(row),
                                  form.text(rowName(sel, row), "Scrivere S se prevista, N se non prevista"),
                                  text, form.text(rowName(desc, row)), form.box(rowName(box, row))}));
        ++row;
    }
    return t;
}

db::Document listDocument(const ListDef& list, std::vector<db::Block> body, Form& form)
{
    db::Document doc;
    doc.protectForms = true;
    doc.pageNumberFooter = true;
    doc.title = list.number + " - " + list.title;
    doc.author = "Quarvello";
    doc.body = {
        db::bold("LISTA DI CONTROLLO " + list.number + " (" + kindName(list) + ")"),
        db::bold(list.title),
        list.intro,
    };
    for (auto& b : body)
        doc.body.push_back(std::move(b));
    addTable(doc.body, "Note",
             db::table({db::row({form.text("note1", "Note del coordinatore sulla lista")})}));
    form.checkFilling(list.number);
    return doc;
}

} // namespace sample::layout
