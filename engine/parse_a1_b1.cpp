#include "engine/list_rules.h"

namespace engine {

void Engine::MTD_PARSEA1(const std::string& number)
{
    ListReader list(*this, number);
    bool found = false;
    bool filled = false;
    std::vector<Finding> empty;
    for (int n = 1; n <= kLastRow; ++n) {
        const std::string name = rowName("f", n);
        if (!list.exists(name))
            break;
        found = true;
        if (list.text(name, true).empty())
            empty.push_back({name, "Campo [" + list.field(name).StatusText() + "] vuoto"});
        else
            filled = true;
    }
    if (!found) {
        list.fault(" nessun campo trovato");
        return;
    }
    if (filled && !empty.empty()) {
        state_.aListStatus.push_back({number, 3});
        for (const auto& f : empty)
            state_.aListPickRows.push_back({number, f.reference, f.message, 3});
    } else if (filled) {
        state_.aListStatus.push_back({number, 4});
    } else {
        state_.aListStatus.push_back({number, 1});
        state_.aListPickRows.push_back({number, "L1", "Lista vuota - da compilare", 1});
    }
}

void Engine::MTD_PARSEB1(const std::string& number)
{
    ListReader list(*this, number);
    int n = 1;
    for (; n <= kLastRow; ++n) {
        const std::string box = rowName("t1c", n);
        if (!list.exists(box))
            break;
        list.lFound = true;
        if (list.ticked(box, true))
            list.lEmpty = false;
        else
            list.aIncompl.push_back({rowReference('1', n), "Manca spunta"});
    }
    if (!list.lFound) {
        list.fault(" [T1 Adempimenti/Contenuti Documento] non esiste");
        return;
    }
    if (!list.lEmpty) {
        // Table 2 numbers its rows on from table 1.
        list.lFound = false;
        for (; n <= kLastRow; ++n) {
            const std::string box = rowName("t2c", n);
            if (!list.exists(box))
                break;
            list.lFound = true;
            const std::string description = rowName("t2f", n);
            const bool ticked = list.ticked(box, true);
            if (!list.exists(description))
                continue;
            const bool blank = list.text(description, true).empty();
            if (ticked && blank)
                list.aIncompl.push_back({rowReference('2', n), "Campo descrizione vuoto"});
            else if (!ticked && !blank)
                list.aIncons.push_back({rowReference('2', n), "Campo descrizione compilato"});
        }
        if (!list.lFound) {
            list.fault(" [T2 Ulteriori Indicazioni] non esiste");
            return;
        }
    }
    list.decide();
}

} // namespace engine
