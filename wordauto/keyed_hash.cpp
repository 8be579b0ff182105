#include "wordauto/keyed_hash.h"

#include <chrono>
#include <random>

#include <unistd.h>

namespace wordauto::detail {

namespace {

struct Key {
    std::uint64_t k0;
    std::uint64_t k1;
};

Key drawKey()
{
    try {
        std::random_device rd;
        auto word = [&] { return (static_cast<std::uint64_t>(rd()) << 32) ^ rd(); };
        return {word(), word()};
    } catch (...) {
        // No entropy source: what differs from run to run and cannot be read from a file.
        const auto now = static_cast<std::uint64_t>(
            std::chrono::high_resolution_clock::now().time_since_epoch().count());
        const auto place = reinterpret_cast<std::uintptr_t>(&now);
        std::seed_seq seq{now, now >> 32, static_cast<std::uint64_t>(::getpid()),
                          static_cast<std::uint64_t>(place), static_cast<std::uint64_t>(place) >> 32};
        std::mt19937_64 gen(seq);
        return {gen(), gen()};
    }
}

const Key& key()
{
    static const Key k = drawKey();
    return k;
}

constexpr std::uint64_t rotl(std::uint64_t x, int b) { return (x << b) | (x >> (64 - b)); }

struct State {
    std::uint64_t v0, v1, v2, v3;

    void round()
    {
        v0 += v1;
        v1 = rotl(v1, 13);
        v1 ^= v0;
        v0 = rotl(v0, 32);
        v2 += v3;
        v3 = rotl(v3, 16);
        v3 ^= v2;
        v0 += v3;
        v3 = rotl(v3, 21);
        v3 ^= v0;
        v2 += v1;
        v1 = rotl(v1, 17);
        v1 ^= v2;
        v2 = rotl(v2, 32);
    }

    void absorb(std::uint64_t m)
    {
        v3 ^= m;
        round();
        v0 ^= m;
    }
};

} // namespace

namespace {

// Up to 8 bytes of the name as one word, ASCII capitals made small all at once: a byte is a
// capital when adding to its low 7 bits carries past 'A' - 1 but not past 'Z'.
std::uint64_t foldedWord(const char* p, std::size_t n)
{
    std::uint64_t w = 0;
    for (std::size_t i = 0; i < n; ++i)
        w |= static_cast<std::uint64_t>(static_cast<unsigned char>(p[i])) << (8 * i);
    constexpr std::uint64_t kOnes = 0x0101010101010101ull;
    const std::uint64_t low = w & (0x7F * kOnes);
    const std::uint64_t capital = (low + (0x80 - 'A') * kOnes) & ~(low + (0x80 - 'Z' - 1) * kOnes) & ~w
                                  & (0x80 * kOnes);
    return w | (capital >> 2);
}

} // namespace

std::uint64_t keyedNameHash(std::string_view name)
{
    const Key& k = key();
    State s{k.k0 ^ 0x736f6d6570736575ull, k.k1 ^ 0x646f72616e646f6dull,
            k.k0 ^ 0x6c7967656e657261ull, k.k1 ^ 0x7465646279746573ull};
    const std::size_t whole = name.size() & ~std::size_t{7};
    for (std::size_t i = 0; i < whole; i += 8)
        s.absorb(foldedWord(name.data() + i, 8));
    s.absorb(foldedWord(name.data() + whole, name.size() - whole)
             | static_cast<std::uint64_t>(name.size()) << 56);
    s.v2 ^= 0xff;
    s.round();
    s.round();
    s.round();
    return s.v0 ^ s.v1 ^ s.v2 ^ s.v3;
}

} // namespace wordauto::detail
