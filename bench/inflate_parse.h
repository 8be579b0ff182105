#pragma once

// The least any reader of a list must do, the baseline of the benches: read the package, inflate
// word/document.xml with libzip, parse it with pugixml.

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>

namespace pugi {
class xml_document;
}

namespace benchbaseline {

// word/document.xml of the package bytes; throws std::runtime_error when it cannot be read.
std::string inflateMainPart(const std::string& packageBytes);

std::string readFile(const std::filesystem::path& file);

// Reads, inflates and parses the list's main part. Returns the body's child count, so the work
// cannot be dropped; throws std::runtime_error when the XML does not parse.
std::size_t inflateAndParse(const std::filesystem::path& file);

// The same, the parsed document handed to the caller to keep: what a reader pays that keeps
// what it read, its memory fresh each time.
std::size_t inflateAndParse(const std::filesystem::path& file, std::unique_ptr<pugi::xml_document>& kept);

} // namespace benchbaseline
