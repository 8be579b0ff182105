#include "wordauto/keyed_hash.h"

#include "wordauto/oxml/xml_util.h"
#include "wordauto/word_error.h"

#include <sodium.h>

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

} // namespace

std::uint64_t keyedNameHash(std::string_view name)
{
    return keyedNameHash(name, processKey());
}

std::uint64_t keyedNameHash(std::string_view name, const NameHashKey& key)
{
    // crypto_shorthash reads the bytes as they are: the name is folded into a copy first, on
    // the stack for names of ordinary length.
    unsigned char onStack[64];
    std::unique_ptr<unsigned char[]> onHeap;
    unsigned char* folded = onStack;
    if (name.size() > sizeof onStack) {
        onHeap.reset(new unsigned char[name.size()]);
        folded = onHeap.get();
    }
    for (std::size_t i = 0; i < name.size(); ++i)
        folded[i] = static_cast<unsigned char>(lowerAscii(name[i]));
    unsigned char out[crypto_shorthash_BYTES];
    crypto_shorthash(out, folded, name.size(), key.data());
    std::uint64_t h = 0;
    for (std::size_t i = 0; i < sizeof out; ++i)
        h |= static_cast<std::uint64_t>(out[i]) << (8 * i);
    return h;
}

} // namespace wordauto::detail
