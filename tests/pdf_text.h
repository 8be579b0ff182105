#pragma once

// What a printed PDF holds, read with poppler's tools: its page count and each page's text.
#include <cstdio>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

namespace testsupport {

inline std::string shellQuote(const std::string& s)
{
    std::string out = "'";
    for (char c : s)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

inline std::string runCommand(const std::string& command)
{
    std::string out;
    if (FILE* p = ::popen(command.c_str(), "r")) {
        char buf[4096];
        for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;)
            out.append(buf, n);
        ::pclose(p);
    }
    return out;
}

inline int pdfPages(const std::filesystem::path& pdf)
{
    std::smatch m;
    const std::string info = runCommand("pdfinfo " + shellQuote(pdf.string()) + " 2>/dev/null");
    return std::regex_search(info, m, std::regex("Pages:\\s+(\\d+)")) ? std::stoi(m[1]) : -1;
}

// The PDF's text page by page, in the order it was drawn.
inline std::vector<std::string> pdfPagesText(const std::filesystem::path& pdf)
{
    const std::string all =
        runCommand("pdftotext -raw -enc UTF-8 " + shellQuote(pdf.string()) + " - 2>/dev/null");
    std::vector<std::string> pages;
    std::size_t start = 0;
    for (std::size_t at; (at = all.find('\f', start)) != std::string::npos; start = at + 1)
        pages.push_back(all.substr(start, at - start));
    return pages;
}

// The number of each page's "Pagina N" footer, -1 for a page without one.
inline std::vector<int> footerNumbers(const std::filesystem::path& pdf)
{
    static const std::regex footer("(^|\n)Pagina (\\d+)(\n|$)");
    std::vector<int> out;
    for (const auto& page : pdfPagesText(pdf)) {
        std::smatch m;
        out.push_back(std::regex_search(page, m, footer) ? std::stoi(m[2]) : -1);
    }
    return out;
}

} // namespace testsupport
