// The keyed hash of names from a file: libsodium's SipHash-2-4 over the name with ASCII
// capitals made small, and nothing else changed.
#include "wordauto/keyed_hash.h"

#include <gtest/gtest.h>
#include <sodium.h>

#include <string>
#include <thread>
#include <vector>

using wordauto::detail::keyedNameHash;
using wordauto::detail::NameHashKey;

namespace {

NameHashKey countingKey()
{
    NameHashKey k;
    for (std::size_t i = 0; i < k.size(); ++i)
        k[i] = static_cast<unsigned char>(i);
    return k;
}

// Bytes 0, 1, ... n-1: the messages of SipHash's published vectors.
std::string countingBytes(std::size_t n)
{
    std::string s;
    for (std::size_t i = 0; i < n; ++i)
        s += static_cast<char>(i);
    return s;
}

std::uint64_t sodiumHash(const std::string& bytes, const NameHashKey& key)
{
    unsigned char out[crypto_shorthash_BYTES];
    crypto_shorthash(out, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), key.data());
    std::uint64_t h = 0;
    for (std::size_t i = 0; i < sizeof out; ++i)
        h |= static_cast<std::uint64_t>(out[i]) << (8 * i);
    return h;
}

} // namespace

TEST(KeyedHashTest, GivesSipHashPublishedValues)
{
    // Key 00..0f; the value of the algorithm's paper and its reference vectors.
    EXPECT_EQ(keyedNameHash("", countingKey()), 0x726fdb47dd0e0e31ull);
    EXPECT_EQ(keyedNameHash(countingBytes(15), countingKey()), 0xa129ca6149be45e5ull);
}

TEST(KeyedHashTest, FoldsAsciiCapitalsAndNothingElse)
{
    const NameHashKey key = countingKey();
    const std::string longName(100, 'Q'); // longer than the copy kept on the stack
    const struct {
        std::string name;
        std::string hashedAs;
    } cases[] = {
        {"Testo1", "testo1"},
        {"AZaz09AZaz09", "azaz09azaz09"}, // a whole word of eight and a rest
        {"@[`{@[`{@[", "@[`{@[`{@["}, // next to the capitals: as they are
        // Their low seven bits are capitals, but they are not ASCII: not folded.
        {"\xC1\xDA\xC1\xDA\xC1\xDA\xC1\xDA\xC1\xDA", "\xC1\xDA\xC1\xDA\xC1\xDA\xC1\xDA\xC1\xDA"},
        {"Perché", "perché"},
        {longName + "X", std::string(100, 'q') + "x"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(keyedNameHash(c.name, key), sodiumHash(c.hashedAs, key)) << c.name;
    EXPECT_NE(keyedNameHash("\xC1", key), keyedNameHash("\xE1", key));
}

TEST(KeyedHashTest, DependsOnTheKey)
{
    NameHashKey other = countingKey();
    other[15] ^= 1;
    EXPECT_NE(keyedNameHash("campo", countingKey()), keyedNameHash("campo", other));
}

// The first use draws the key; threads that ask at the same moment all get the same one.
TEST(KeyedHashTest, OneProcessKeyWhateverThreadAsksFirst)
{
    std::vector<std::uint64_t> seen(8);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < seen.size(); ++i)
        threads.emplace_back([&seen, i] { seen[i] = keyedNameHash(i % 2 ? "Campo" : "CAMPO"); });
    for (auto& t : threads)
        t.join();
    for (const auto h : seen)
        EXPECT_EQ(h, seen.front());
    EXPECT_EQ(keyedNameHash("campo"), seen.front());
    EXPECT_NE(keyedNameHash("campo1"), seen.front());
}
