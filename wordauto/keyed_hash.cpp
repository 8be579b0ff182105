#include "wordauto/keyed_hash.h"

#include "wordauto/word_error.h"

#include <sodium.h>

#include <bit>
#include <cstring>
#include <memory>

namespace wordauto::detail {

static_assert(std::tuple_size_v<NameHashKey> == crypto_shorthash_KEYBYTES);

namespace {

// Drawn on first use, once: a function-local static is initialised by one thread while the
// others wait. A failure throws, leaving the static unset, so a later call tries again. A
// library does not end the process it lives in: the hash is only reached while a document is
// opened or read, whose failures already reach the user as a WordError.
const NameHashKey& processKey()
{
    static const NameHashKey key = [] {
        if (sodium_init() < 0)
            throw WordError("La libreria libsodium non si è avviata: impossibile leggere i nomi "
                            "del documento in modo sicuro");
        NameHashKey k;
        randombytes_buf(k.data(), k.size());
        return k;
    }();
    return key;
}

// Eight bytes of a name with its ASCII capitals made small all at once: a byte is a capital
// when adding to its low 7 bits carries past 'A' - 1 but not past 'Z', and its own top bit is
// clear.
std::uint64_t foldedWord(std::uint64_t w)
{
    constexpr std::uint64_t kOnes = 0x0101010101010101ull;
    const std::uint64_t low = w & (0x7F * kOnes);
    const std::uint64_t capital = (low + (0x80 - 'A') * kOnes) & ~(low + (0x80 - 'Z' - 1) * kOnes) & ~w
                                  & (0x80 * kOnes);
    return w | (capital >> 2);
}

std::uint64_t hashWith(std::string_view name, const NameHashKey& key)
{
    // crypto_shorthash reads the bytes as they are: the name is folded into a copy first, word
    // by word, the last one padded (the copy has room for it), on the stack for names of
    // ordinary length.
    unsigned char onStack[64];
    std::unique_ptr<unsigned char[]> onHeap;
    unsigned char* folded = onStack;
    const std::size_t whole = name.size() & ~std::size_t{7};
    if (whole + 8 > sizeof onStack) {
        onHeap.reset(new unsigned char[whole + 8]);
        folded = onHeap.get();
    }
    std::uint64_t w;
    for (std::size_t i = 0; i < whole; i += 8) {
        std::memcpy(&w, name.data() + i, 8);
        w = foldedWord(w);
        std::memcpy(folded + i, &w, 8);
    }
    w = 0;
    for (std::size_t i = whole; i < name.size(); ++i)
        w |= static_cast<std::uint64_t>(static_cast<unsigned char>(name[i])) << (8 * (i - whole));
    w = foldedWord(w);
    std::memcpy(folded + whole, &w, 8);
    unsigned char out[crypto_shorthash_BYTES];
    crypto_shorthash(out, folded, name.size(), key.data());
    std::uint64_t h;
    std::memcpy(&h, out, sizeof h);
    // The bytes are the hash's little-endian form.
    return std::endian::native == std::endian::little ? h : __builtin_bswap64(h);
}

} // namespace

std::uint64_t keyedNameHash(std::string_view name)
{
    return hashWith(name, processKey());
}

std::uint64_t keyedNameHash(std::string_view name, const NameHashKey& key)
{
    return hashWith(name, key);
}

} // namespace wordauto::detail
