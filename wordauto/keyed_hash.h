#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace wordauto::detail {

// A hash of a name that ignores ASCII case, keyed with a secret drawn once per process
// (libsodium's crypto_shorthash). Names come from files nobody here wrote: with a hash known
// in advance, a file could hold thousands of names that fall on one slot of an index and make
// every lookup a scan. Not knowing the key, it cannot aim.
// The first call in a process draws the key; it throws WordError when libsodium cannot start.
std::uint64_t keyedNameHash(std::string_view name);

using NameHashKey = std::array<unsigned char, 16>;

// The same hash under a key of the caller's, so that it can be checked against known values.
std::uint64_t keyedNameHash(std::string_view name, const NameHashKey& key);

// For hash tables keyed by names that come from a file.
struct KeyedNameHash {
    std::size_t operator()(const std::string& s) const { return keyedNameHash(s); }
    std::size_t operator()(std::string_view s) const { return keyedNameHash(s); }
};

} // namespace wordauto::detail
