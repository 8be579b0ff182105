#include "engine/engine.h"

#include <cstddef>

namespace engine {

namespace {

// A further rule of some prefixes, tested apart from the length so one name can break both.
enum class Extra { None, LastLetterAbc, SixthIsL };

struct SchemeRow {
    const char* kind;
    const char* prefix;
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

bool hasScheme(const std::string& kind)
{
    for (const auto& row : kScheme)
        if (kind == row.kind)
            return true;
    return false;
}

const SchemeRow* matchingRow(const std::string& kind, const std::string& name)
{
    // Kind A1 tells its fields by one letter, the others by table and column.
    const std::string head = name.substr(0, kind == "A1" ? 1 : 3);
    for (const auto& row : kScheme)
        if (kind == row.kind && head == row.prefix)
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
    const bool checked = hasScheme(kind);
    std::string lines;
    for (int n = 1; n <= count; ++n) {
        const std::string name = fields.Item(n).Name();
        if (!checked)
            continue;
        const auto line = [&](const char* tag) {
            lines += std::string(tag) + std::to_string(n) + "]-" + name + "\r\n";
        };
        if (const SchemeRow* row = matchingRow(kind, name)) {
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
