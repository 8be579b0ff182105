#pragma once

// The check list the benchmarks measure, the size of the largest real ones: a table of 999
// numbered items with a check box each, and a table of 100 rows with a text field and a
// description field, 1,199 fields.

#include "data/docbuilder/docbuilder.h"

#include <cstdio>
#include <string>
#include <vector>

namespace benchlist {

struct Field {
    std::string name;
    bool checkBox;
    std::string expected; // "1"/"0" for a box, the text for a text field
};

inline std::string number(int i)
{
    char buf[8];
    std::snprintf(buf, sizeof buf, "%03d", i);
    return buf;
}

// The list; its fields in document order go to `fields` when given.
inline docbuilder::Document fieldList(std::vector<Field>* fields = nullptr)
{
    using namespace docbuilder;
    std::vector<Field> seen;
    std::vector<Row> items{row({bold("N."), bold("Voce"), bold("Esito")})};
    for (int i = 1; i <= 999; ++i) {
        const std::string name = "t1c" + number(i);
        const bool ticked = i % 3 == 0;
        items.push_back(row({"1." + number(i), "Verifica del punto " + number(i),
                             CheckBox{name, ticked, "Conforme"}}));
        seen.push_back({name, true, ticked ? "1" : "0"});
    }
    std::vector<Row> notes{row({bold("N."), bold("Valore"), bold("Descrizione")})};
    for (int i = 1; i <= 100; ++i) {
        const std::string value = i % 2 ? "Valore " + number(i) : "";
        const std::string text = i % 5 ? "Descrizione del rilievo " + number(i) : "";
        notes.push_back(row({"2." + number(i), TextField{"t2f" + number(i), value},
                             TextField{"t2d" + number(i), text}}));
        seen.push_back({"t2f" + number(i), false, value});
        seen.push_back({"t2d" + number(i), false, text});
    }
    Document doc;
    doc.protectForms = true;
    doc.pageNumberFooter = true;
    doc.title = "Lista di controllo";
    doc.body = {"Lista di controllo 1", table(std::move(items)), "Rilievi", table(std::move(notes))};
    if (fields)
        *fields = std::move(seen);
    return doc;
}

} // namespace benchlist
