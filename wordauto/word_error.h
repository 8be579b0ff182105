#pragma once

#include <stdexcept>
#include <string>

namespace wordauto {

// Every failure of the document layer: the Italian description names the file (when there is
// one) and the cause, so it can be shown to the user as it stands.
class WordError : public std::runtime_error {
public:
    explicit WordError(const std::string& description) : std::runtime_error(description) {}
    std::string description() const { return what(); }
};

// The user answered "Annulla" to one of Word's questions: nothing failed, and what was asked
// for (closing a document, quitting) did not happen.
class WordCancel : public WordError {
public:
    using WordError::WordError;
};

// "<cause>: <path>" with the path quoted, the form every file error takes.
[[noreturn]] void throwFileError(const std::string& cause, const std::string& path);

// The Italian text of a system error number ("Permesso negato", "Spazio su disco esaurito"):
// the system's own text is English whatever the user's language.
std::string systemErrorText(int error);

} // namespace wordauto
