#include "engine/engine.h"

namespace engine {

std::string NOCONTROL(std::string cText)
{
    while (!cText.empty() && static_cast<unsigned char>(cText.back()) <= 31)
        cText.pop_back();
    return cText;
}

std::string cleanCell(const std::string& text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(' ');
    return NOCONTROL(text.substr(first, last - first + 1));
}

bool isBlank(const std::string& text) { return text.find_first_not_of(' ') == std::string::npos; }

std::string withoutPoints(const std::string& number)
{
    std::string out;
    for (char c : number)
        if (c != '.')
            out += c;
    return out;
}

std::string listItemName(const std::string& number) { return "L" + withoutPoints(number); }

std::uint16_t leadingNumber(const std::string& text)
{
    std::uint16_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            break;
        value = static_cast<std::uint16_t>(value * 10 + (c - '0'));
    }
    return value;
}

int percentDown(std::uint64_t i, std::uint64_t n)
{
    return n == 0 ? 0 : static_cast<int>(100 * i / n);
}

int percentUp(std::uint64_t i, std::uint64_t n)
{
    return n == 0 ? 0 : static_cast<int>((100 * i + n - 1) / n);
}

void advanceBar(ProgressWindow& progress, int percent)
{
    if (percent > progress.position())
        progress.setPosition(percent);
}

} // namespace engine
