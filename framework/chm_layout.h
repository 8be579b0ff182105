#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The checks a Compiled HTML Help file must pass before chmlib may read it. chmlib follows the
// directory's index links until they end, sizes its buffers from the reset table and trusts
// every length it decodes, so a crafted file could make it loop for ever or write out of
// bounds. What passes here keeps every read chmlib makes inside the file and inside its buffers,
// and every directory walk finite.
namespace framework::chmlayout {

struct Entry {
    std::string path;
    int space = 0; // 0 stored as is, 1 in the compressed section
    std::uint64_t start = 0;
    std::uint64_t length = 0;
};

struct Result {
    std::string error; // empty when the file passed; otherwise an Italian reason
    std::vector<Entry> entries;
};

inline constexpr std::size_t kMaxEntries = 100000;
inline constexpr std::uint64_t kMaxUncompressed = 64ULL * 1024 * 1024;

Result check(const unsigned char* data, std::size_t size);

} // namespace framework::chmlayout
