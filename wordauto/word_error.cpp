#include "wordauto/word_error.h"

namespace wordauto {

void throwFileError(const std::string& cause, const std::string& path)
{
    throw WordError(cause + ": \"" + path + "\"");
}

} // namespace wordauto
