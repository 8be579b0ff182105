#pragma once

// The check lists of the sample catalogue: what each list says (its row texts, table by table)
// and how a list of each kind is laid out as a protected Word form. The field names follow the
// scheme of the list's kind; the row numbers run on from one table to the next.

#include "data/docbuilder/docbuilder.h"

#include <map>
#include <set>
#include <string>
#include <variant>
#include <vector>

namespace sample {

// Plain forms: text fields f001, f002, ... each labelled by its status-bar text.
struct A1List {
    std::vector<std::string> fields;
};

// T1 boxes t1c that must all be ticked; T2 boxes t2c with a description t2f.
struct B1List {
    std::vector<std::string> requirements;
    std::vector<std::string> further;
};

// T1 situations (t1c..a/b/c, t1f), T2 measures (t2c), T3 measure details (t3l, t3f, t3c).
struct C1List {
    std::vector<std::string> situations;
    std::vector<std::string> measures;
    std::vector<std::string> details;
};

// A risk of a D1 list: its box t2c carries `status` ("01 Caduta dall'alto", the code first)
// and the range of its sub-table in T4, which holds `measures`.
struct Risk {
    std::string status;
    std::vector<std::string> measures;
};

// T1 activities as C1, T2 risks, T3 measures (t3c), T4 one sub-table per risk, T5 procedures.
struct D1List {
    std::vector<std::string> activities;
    std::vector<Risk> risks;
    std::vector<std::string> measures;
    std::vector<std::string> procedures;
};

// Measures tables only: T1 safety measures and T2 DPI (E1), or T1 alone (E2).
struct E1List {
    std::vector<std::string> measures;
    std::vector<std::string> dpi;
};
struct E2List {
    std::vector<std::string> measures;
};

using ListContent = std::variant<A1List, B1List, C1List, D1List, E1List, E2List>;

struct ListDef {
    std::string number;     // "1.01.02"
    std::string title;
    bool mandatory = false;
    std::string intro{};    // the line under the title that tells how to fill the list
    ListContent content{};
};

// "A1" ... "E2", as the index writes it.
std::string kindName(const ListDef& list);

// The lists of each kind, and all of them in number order.
std::vector<ListDef> a1Lists();
std::vector<ListDef> b1Lists();
std::vector<ListDef> c1Lists();
std::vector<ListDef> d1Lists();
std::vector<ListDef> eLists();
const std::vector<ListDef>& allLists();
const ListDef& listByNumber(const std::string& number);

// What the coordinator entered in a copy of a list, by field name. `renamed` and
// `withoutHelpText` spoil a copy on purpose, to show what the checks report.
struct Filling {
    std::map<std::string, std::string> text{};
    std::set<std::string> ticked{};
    std::map<std::string, std::string> renamed{};
    std::set<std::string> withoutHelpText{};
};

// The list as a document: blank with an empty filling.
docbuilder::Document renderList(const ListDef& list, const Filling& filling = {});

} // namespace sample
