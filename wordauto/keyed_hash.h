#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace wordauto::detail {

// A hash of a name that ignores ASCII case, keyed with a secret drawn once per process
// (SipHash-1-3). Names come from files nobody here wrote: with a hash known in advance, a file
// could hold thousands of names that fall on one slot of an index and make every lookup a
// scan. Not knowing the key, it cannot aim.
std::uint64_t keyedNameHash(std::string_view name);

// For hash tables keyed by names that come from a file.
struct KeyedNameHash {
    std::size_t operator()(const std::string& s) const { return keyedNameHash(s); }
};

} // namespace wordauto::detail
