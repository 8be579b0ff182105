#pragma once

// Form field names chosen to fall on one slot of a name index whose hash is known in advance
// (FNV-1a over the lower-cased name, the slot its low bits), as a crafted file would choose
// them. The low bits of that hash depend only on the low bits before each byte, so pairs of
// three-letter blocks that meet from the same state chain into 2^k names of one slot.

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace testsupport {

inline std::vector<std::string> fnvCollidingNames(std::size_t count, unsigned bits = 20)
{
    constexpr std::uint64_t kPrime = 1099511628211ull;
    const std::uint64_t mask = (std::uint64_t{1} << bits) - 1;
    static const char alphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    auto step = [&](std::uint64_t h, const std::string& block) {
        for (const char c : block)
            h = (h ^ static_cast<unsigned char>(c)) * kPrime;
        return h & mask;
    };
    std::uint64_t state = step(14695981039346656037ull, "f") ; // every name starts with "f"
    std::vector<std::pair<std::string, std::string>> pairs;
    while ((std::size_t{1} << pairs.size()) < count) {
        std::unordered_map<std::uint64_t, std::string> seen;
        std::string block(3, ' ');
        bool found = false;
        for (const char a : std::string(alphabet)) {
            for (const char b : std::string(alphabet)) {
                for (const char c : std::string(alphabet)) {
                    block = {a, b, c};
                    const std::uint64_t next = step(state, block);
                    auto [it, fresh] = seen.emplace(next, block);
                    if (!fresh) {
                        pairs.emplace_back(it->second, block);
                        state = next;
                        found = true;
                        break;
                    }
                }
                if (found)
                    break;
            }
            if (found)
                break;
        }
    }
    std::vector<std::string> names;
    names.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        std::string name = "f";
        for (std::size_t k = 0; k < pairs.size(); ++k)
            name += (i >> k) & 1 ? pairs[k].second : pairs[k].first;
        names.push_back(std::move(name));
    }
    return names;
}

// Names as a check list has them: "f000123".
inline std::vector<std::string> ordinaryNames(std::size_t count)
{
    std::vector<std::string> names;
    names.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        std::string n = std::to_string(i);
        names.push_back("f" + std::string(n.size() < 6 ? 6 - n.size() : 0, '0') + n);
    }
    return names;
}

} // namespace testsupport
