#pragma once

// The least any reader of a list must do, the baseline of the benches: read the package, inflate
// word/document.xml with libzip, parse it with pugixml.

#include <cstddef>
#include <filesystem>
#include <string>

namespace benchbaseline {

// word/document.xml of the package bytes; throws std::runtime_error when it cannot be read.
std::string inflateMainPart(const std::string& packageBytes);

std::string readFile(const std::filesystem::path& file);

// Reads, inflates and parses the list's main part. Returns the body's child count, so the work
// cannot be dropped; throws std::runtime_error when the XML does not parse.
std::size_t inflateAndParse(const std::filesystem::path& file);

} // namespace benchbaseline
