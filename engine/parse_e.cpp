#include "engine/list_rules.h"

namespace engine {

namespace {

// Table 1 of both kinds, the safety measures; it alone decides the empty list. Returns the
// row number table 2 starts at.
int measuresOfSafety(ListReader& list)
{
    const auto t1 = list.measuresTable('1', 1);
    if (list.lFault)
        return t1.next;
    if (t1.anySelected)
        list.lEmpty = false;
    if (!list.lFound)
        list.fault(" [T1 Misure di Sicurezza] non esiste");
    return t1.next;
}

} // namespace

void Engine::MTD_PARSEE1(const std::string& number)
{
    ListReader list(*this, number);
    const int n = measuresOfSafety(list);
    if (list.lFault)
        return;
    if (!list.lEmpty && !list.laterMeasuresTable('2', n, "Tabella DPI da compilare", "T2 DPI"))
        return;
    list.decide();
}

void Engine::MTD_PARSEE2(const std::string& number)
{
    ListReader list(*this, number);
    measuresOfSafety(list);
    if (!list.lFault)
        list.decide();
}

} // namespace engine
