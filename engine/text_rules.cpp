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

int percentDown(std::uint64_t i, std::uint64_t n)
{
    return n == 0 ? 0 : static_cast<int>(100 * i / n);
}

void advanceBar(ProgressWindow& progress, int percent)
{
    if (percent > progress.position())
        progress.setPosition(percent);
}

} // namespace engine
