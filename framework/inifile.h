#pragma once

#include <string>

namespace framework {

// The settings file, read and written as the Windows profile functions do: sections and keys
// found without regard to case, other sections and keys left as they are, every write applied
// to the file at once.
class INIFILE {
public:
    // `name` gets ".INI" when it has no point; without a folder the file is in the current one.
    explicit INIFILE(const std::string& name, const std::string& folder = "");

    // The whole value (surrounding blanks and one pair of quotes removed), "" when absent.
    std::string GETSTRING(const std::string& section, const std::string& key) const;
    // The value's leading decimal digits, 0 when absent or not a number.
    long GETNUMBER(const std::string& section, const std::string& key) const;
    // Writes the value at once, atomically; throws std::runtime_error (Italian text) when the
    // file cannot be written, leaving it as it was.
    INIFILE& WRITESTRING(const std::string& section, const std::string& key, const std::string& value);

    const std::string& path() const { return path_; }

private:
    std::string path_;
};

} // namespace framework
