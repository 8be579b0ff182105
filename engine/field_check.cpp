#include "engine/engine.h"

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <span>
#include <string_view>

namespace engine {

namespace {

// A further rule of some prefixes, tested apart from the length so one name can break both.
enum class Extra { None, LastLetterAbc, SixthIsL };

struct SchemeRow {
    std::string_view kind;
    std::string_view prefix;
    std::size_t length;
    Extra extra;
    const char* tag;
};

// In the order the check tries them: the first matching prefix decides.
constexpr SchemeRow kScheme[] = {
    {"A1", "f", 4, Extra::None, "F1-["},
    {"A1", "l", 4, Extra::None, "F1-["},
    {"B1", "t1c", 6, Extra::None, "T1-["},
    {"B1", "t2c", 6, Extra::None, "T2-["},
    {"B1", "t2f", 6, Extra::None, "T2-["},
    {"C1", "t1c", 7, Extra::LastLetterAbc, "T1-["},
    {"C1", "t1f", 6, Extra::None, "T1-["},
    {"C1", "t2c", 6, Extra::None, "T2-["},
    {"C1", "t3l", 6, Extra::None, "T3-["},
    {"C1", "t3f", 6, Extra::None, "T3-["},
    {"C1", "t3c", 6, Extra::None, "T3-["},
    {"D1", "t1c", 7, Extra::LastLetterAbc, "T1-["},
    {"D1", "t1f", 6, Extra::None, "T1-["},
    {"D1", "t2c", 6, Extra::None, "T2-["},
    {"D1", "t2f", 6, Extra::None, "T2-["},
    {"D1", "t3c", 6, Extra::None, "T3-["},
    {"D1", "t4r", 9, Extra::SixthIsL, "T4-["},
    {"D1", "t4f", 6, Extra::None, "T4-["},
    {"D1", "t4c", 6, Extra::None, "T4-["},
    {"D1", "t5l", 6, Extra::None, "T5-["},
    {"D1", "t5f", 6, Extra::None, "T5-["},
    {"D1", "t5c", 6, Extra::None, "T5-["},
    {"E1", "t1l", 6, Extra::None, "T1-["},
    {"E1", "t1f", 6, Extra::None, "T1-["},
    {"E1", "t1c", 6, Extra::None, "T1-["},
    {"E1", "t2l", 6, Extra::None, "T2-["},
    {"E1", "t2f", 6, Extra::None, "T2-["},
    {"E1", "t2c", 6, Extra::None, "T2-["},
    {"E2", "t1l", 6, Extra::None, "T1-["},
    {"E2", "t1f", 6, Extra::None, "T1-["},
    {"E2", "t1c", 6, Extra::None, "T1-["},
};

// The rows of one kind, in the table's order.
std::span<const SchemeRow> rowsOf(std::string_view kind)
{
    const auto* first = std::find_if(std::begin(kScheme), std::end(kScheme),
                                     [&](const SchemeRow& row) { return row.kind == kind; });
    const auto* last = std::find_if(first, std::end(kScheme),
                                    [&](const SchemeRow& row) { return row.kind != kind; });
    return {first, last};
}

// rowsOf takes each kind's rows as one run.
constexpr bool kindsAreAdjacent()
{
    for (std::size_t i = 1; i < std::size(kScheme); ++i)
        if (kScheme[i].kind != kScheme[i - 1].kind)
            for (std::size_t j = 0; j < i; ++j)
                if (kScheme[j].kind == kScheme[i].kind)
                    return false;
    return true;
}
static_assert(kindsAreAdjacent());

const SchemeRow* matchingRow(std::span<const SchemeRow> rows, std::string_view name)
{
    // Kind A1 tells its fields by one letter, the others by table and column; a prefix that
    // short is compared by hand rather than by a library compare per row and field.
    const auto startsWith = [&](std::string_view prefix) {
        if (name.size() < prefix.size())
            return false;
        for (std::size_t i = 0; i < prefix.size(); ++i)
            if (name[i] != prefix[i])
                return false;
        return true;
    };
    for (const auto& row : rows)
        if (startsWith(row.prefix))
            return &row;
    return nullptr;
}

bool breaksExtra(Extra extra, const std::string& name)
{
    switch (extra) {
    case Extra::LastLetterAbc: {
        const char last = name.empty() ? '\0' : name.back();
        return last != 'a' && last != 'b' && last != 'c';
    }
    case Extra::SixthIsL:
        return name.size() < 6 || name[5] != 'l';
    case Extra::None:
        break;
    }
    return false;
}

} // namespace

bool Engine::MTD_CHECK(const std::string& kind, const std::string& number)
{
    auto fields = oWord->ActiveDocument().FormFields();
    const int count = fields.Count();
    const auto rows = rowsOf(kind);
    if (rows.empty())
        return true; // a kind without a scheme has no names to break
    std::string lines;
    for (int n = 1; n <= count; ++n) {
        const std::string name = fields.Item(n).Name();
        const auto line = [&](const char* tag) {
            lines.append(tag).append(std::to_string(n)).append("]-").append(name).append("\r\n");
        };
        if (const SchemeRow* row = matchingRow(rows, name)) {
            if (name.size() != row->length)
                line(row->tag);
            if (breaksExtra(row->extra, name))
                line(row->tag);
        } else if (name != "note1") {
            line("XX-[");
        }
    }
    if (lines.empty())
        return true;
    frame_.messageBox("Errore lista " + number + "\r\n" + lines, kCaptionQuarvello, mb::Stop);
    return false;
}

} // namespace engine
