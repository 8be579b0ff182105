#include "framework/inifile.h"

#include "runtime/file_lookup.h"

#include <QDir>
#include <QSaveFile>

#include <cctype>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace framework {

namespace {

std::string trim(const std::string& s)
{
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

bool sameText(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::vector<std::string> readLines(const std::string& path)
{
    std::vector<std::string> lines;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// "[name]" gives name; other lines give nothing.
bool sectionName(const std::string& line, std::string& name)
{
    const std::string t = trim(line);
    if (t.size() < 2 || t.front() != '[')
        return false;
    const auto close = t.find(']');
    if (close == std::string::npos)
        return false;
    name = trim(t.substr(1, close - 1));
    return true;
}

bool keyLine(const std::string& line, std::string& key, std::string& value)
{
    const auto eq = line.find('=');
    if (eq == std::string::npos || trim(line).rfind(';', 0) == 0)
        return false;
    key = trim(line.substr(0, eq));
    value = trim(line.substr(eq + 1));
    return true;
}

} // namespace

INIFILE::INIFILE(const std::string& name, const std::string& folder)
{
    std::string file = name;
    if (file.find('.') == std::string::npos)
        file += ".INI";
    const std::string dir = folder.empty() ? QDir::currentPath().toStdString() + "/" : folder;
    // An existing file of the same name in other letters is the one meant.
    const auto slash = dir.find_last_of('/');
    const std::string parent = slash == std::string::npos ? dir : dir.substr(0, slash);
    const auto found = vendrik::findFile(parent, file);
    path_ = found ? *found : dir + file;
}

std::string INIFILE::GETSTRING(const std::string& section, const std::string& key) const
{
    bool inSection = false;
    for (const auto& line : readLines(path_)) {
        std::string name, k, v;
        if (sectionName(line, name)) {
            inSection = sameText(name, section);
        } else if (inSection && keyLine(line, k, v) && sameText(k, key)) {
            if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
                v = v.substr(1, v.size() - 2);
            return v;
        }
    }
    return {};
}

long INIFILE::GETNUMBER(const std::string& section, const std::string& key) const
{
    const std::string text = GETSTRING(section, key);
    long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            break;
        if (value > 100000000)
            break; // far beyond any setting; stops an overflow
        value = value * 10 + (c - '0');
    }
    return value;
}

INIFILE& INIFILE::WRITESTRING(const std::string& section, const std::string& key, const std::string& value)
{
    std::vector<std::string> lines = readLines(path_);
    bool inSection = false;
    bool done = false;
    std::size_t sectionEnd = std::string::npos; // where a missing key is inserted
    for (std::size_t i = 0; i < lines.size() && !done; ++i) {
        std::string name, k, v;
        if (sectionName(lines[i], name)) {
            if (inSection)
                break;
            inSection = sameText(name, section);
            if (inSection)
                sectionEnd = i + 1;
        } else if (inSection) {
            if (keyLine(lines[i], k, v) && sameText(k, key)) {
                lines[i] = k + "=" + value;
                done = true;
            } else if (!trim(lines[i]).empty()) {
                sectionEnd = i + 1;
            }
        }
    }
    if (!done) {
        if (sectionEnd == std::string::npos) {
            if (!lines.empty() && !trim(lines.back()).empty())
                lines.push_back("");
            lines.push_back("[" + section + "]");
            lines.push_back(key + "=" + value);
        } else {
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(sectionEnd), key + "=" + value);
        }
    }
    std::string text;
    for (const auto& l : lines)
        text += l + "\r\n";
    QSaveFile out(QString::fromStdString(path_));
    if (!out.open(QIODevice::WriteOnly)
        || out.write(text.data(), static_cast<qint64>(text.size())) != static_cast<qint64>(text.size())
        || !out.commit())
        throw std::runtime_error("Impossibile scrivere il file delle impostazioni: \"" + path_ + "\"");
    return *this;
}

} // namespace framework
