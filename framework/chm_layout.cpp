// The layout of a Compiled HTML Help file, checked the way chmlib will walk it.
#include "framework/chm_layout.h"

#include <cstring>
#include <optional>
#include <unordered_set>

namespace framework::chmlayout {

namespace {

constexpr std::size_t kItsfV3Length = 0x60; // chmlib always reads this much
constexpr std::size_t kItspLength = 0x54;
constexpr std::size_t kPmglHeader = 0x14;
constexpr std::size_t kPmgiHeader = 0x08;
constexpr std::size_t kMaxPath = 512; // chmlib's path buffers
constexpr std::uint32_t kMinBlock = 0x100;
constexpr std::uint32_t kMaxBlock = 0x10000;
constexpr std::uint64_t kLzxFrame = 0x8000;
constexpr std::uint64_t kLzxSlack = 6144; // chmlib's room for one compressed frame over a frame
constexpr std::uint64_t kMaxControlData = 0x40;
constexpr std::uint64_t kResetTableLength = 0x28;
constexpr std::uint64_t kMaxResetBlocks = 4096;

constexpr const char* kResetTable =
    "::DataSpace/Storage/MSCompressed/Transform/{7FC28940-9D31-11D0-9B27-00A0C91E9C7C}/InstanceData/ResetTable";
constexpr const char* kContent = "::DataSpace/Storage/MSCompressed/Content";
constexpr const char* kControlData = "::DataSpace/Storage/MSCompressed/ControlData";

const char* const kDamaged = "la sua struttura interna è danneggiata";

struct Bytes {
    const unsigned char* data;
    std::size_t size;

    bool has(std::uint64_t at, std::uint64_t n) const { return at <= size && n <= size - at; }
    std::uint32_t u32(std::size_t at) const
    {
        std::uint32_t v = 0;
        for (int i = 3; i >= 0; --i)
            v = (v << 8) | data[at + static_cast<std::size_t>(i)];
        return v;
    }
    std::uint64_t u64(std::size_t at) const { return u32(at) | (std::uint64_t{u32(at + 4)} << 32); }
    bool is(std::size_t at, const char* marker) const { return std::memcmp(data + at, marker, 4) == 0; }
};

// A chunk's variable-length number: seven bits a byte, high bit set on all bytes but the last.
std::optional<std::uint64_t> encint(const Bytes& b, std::size_t& at, std::size_t end)
{
    std::uint64_t value = 0;
    for (int n = 0; n < 9 && at < end; ++n) {
        const unsigned char c = b.data[at++];
        value = (value << 7) | (c & 0x7F);
        if (c < 0x80)
            return value;
    }
    return std::nullopt;
}

std::string lower(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

struct Directory {
    std::uint64_t chunks = 0; // at chunkBase, chunkLength each
    std::uint64_t chunkBase = 0;
    std::uint32_t chunkLength = 0;
    std::int32_t root = -1;
    std::int32_t head = -1;
    std::uint64_t dataOffset = 0;
};

std::string readHeaders(const Bytes& b, Directory& dir)
{
    if (b.size < kItsfV3Length || !b.is(0, "ITSF"))
        return "non è un file di guida HTML compilata";
    const std::uint32_t version = b.u32(4);
    if (version != 2 && version != 3)
        return "la versione del formato non è supportata";
    const std::uint64_t dirOffset = b.u64(0x48);
    const std::uint64_t dirLength = b.u64(0x50);
    if (!b.has(dirOffset, dirLength) || dirLength < kItspLength)
        return "è troncato";
    dir.dataOffset = version == 3 ? b.u64(0x58) : dirOffset + dirLength;
    if (dir.dataOffset > b.size)
        return "è troncato";
    if (!b.is(dirOffset, "ITSP") || b.u32(dirOffset + 4) != 1 || b.u32(dirOffset + 8) != kItspLength)
        return kDamaged;
    dir.chunkLength = b.u32(dirOffset + 0x10);
    if (dir.chunkLength < kMinBlock || dir.chunkLength > kMaxBlock)
        return kDamaged;
    dir.chunkBase = dirOffset + kItspLength;
    dir.chunks = (dirLength - kItspLength) / dir.chunkLength;
    dir.root = static_cast<std::int32_t>(b.u32(dirOffset + 0x1C));
    dir.head = static_cast<std::int32_t>(b.u32(dirOffset + 0x20));
    const auto inRange = [&](std::int32_t c) { return c >= 0 && static_cast<std::uint64_t>(c) < dir.chunks; };
    if (!inRange(dir.head) || (dir.root != -1 && !inRange(dir.root)))
        return kDamaged;
    return {};
}

// Every chunk is read in full: chmlib may land on any of them.
std::string readChunks(const Bytes& b, const Directory& dir, Result& out)
{
    std::unordered_set<std::string> names;
    for (std::uint64_t i = 0; i < dir.chunks; ++i) {
        const std::size_t base = dir.chunkBase + i * dir.chunkLength;
        const bool listing = b.is(base, "PMGL");
        if (!listing && !b.is(base, "PMGI"))
            return kDamaged;
        const std::size_t header = listing ? kPmglHeader : kPmgiHeader;
        const std::uint32_t freeSpace = b.u32(base + 4);
        if (freeSpace > dir.chunkLength - header)
            return kDamaged;
        const std::size_t end = base + dir.chunkLength - freeSpace;
        for (std::size_t at = base + header; at < end;) {
            const auto length = encint(b, at, end);
            if (!length || *length == 0 || *length > kMaxPath || *length > end - at)
                return kDamaged;
            std::string path(reinterpret_cast<const char*>(b.data + at), static_cast<std::size_t>(*length));
            at += static_cast<std::size_t>(*length);
            if (path.find('\0') != std::string::npos)
                return kDamaged;
            if (!listing) {
                // Index links point back to earlier chunks only, so every walk ends.
                const auto child = encint(b, at, end);
                if (!child || *child >= i)
                    return kDamaged;
                continue;
            }
            const auto space = encint(b, at, end);
            const auto start = encint(b, at, end);
            const auto size = encint(b, at, end);
            if (!space || !start || !size || *space > 1)
                return kDamaged;
            if (!names.insert(lower(path)).second || out.entries.size() >= kMaxEntries)
                return kDamaged;
            out.entries.push_back({std::move(path), static_cast<int>(*space), *start, *size});
        }
    }
    if (dir.root == -1 && !b.is(dir.chunkBase + static_cast<std::uint64_t>(dir.head) * dir.chunkLength, "PMGL"))
        return kDamaged;
    return {};
}

const Entry* find(const Result& r, const char* path)
{
    const std::string key = lower(path);
    for (const auto& e : r.entries)
        if (lower(e.path) == key)
            return &e;
    return nullptr;
}

// The compressed section, as chmlib sets it up when the reset table, the content and the control
// data are all stored uncompressed; otherwise chmlib reads nothing compressed.
std::string checkCompression(const Bytes& b, const Directory& dir, const Result& r, std::uint64_t& uncompressed)
{
    uncompressed = 0;
    const Entry* table = find(r, kResetTable);
    const Entry* content = find(r, kContent);
    const Entry* control = find(r, kControlData);
    if (!table || !content || !control || table->space || content->space || control->space)
        return {};

    // The control data goes into a small buffer of chmlib's, and a value it cannot use
    // becomes a division by zero there.
    if (control->length < 0x18 || control->length > kMaxControlData)
        return kDamaged;
    const std::size_t c = dir.dataOffset + control->start;
    if (!b.is(c + 4, "LZXC"))
        return kDamaged;
    std::uint32_t resetInterval = b.u32(c + 0x0C);
    std::uint32_t windowSize = b.u32(c + 0x10);
    const std::uint32_t windowsPerReset = b.u32(c + 0x14);
    if (b.u32(c + 8) == 2) {
        resetInterval *= 0x8000;
        windowSize *= 0x8000;
    }
    if (windowSize < (1U << 15) || windowSize > (1U << 21) || (windowSize & (windowSize - 1)) != 0)
        return kDamaged;
    if (resetInterval == 0 || resetInterval % (windowSize / 2) != 0 || windowsPerReset == 0)
        return kDamaged;
    if (std::uint64_t{resetInterval / (windowSize / 2)} * windowsPerReset > kMaxResetBlocks)
        return kDamaged;

    if (table->length < kResetTableLength)
        return kDamaged;
    const std::size_t t = dir.dataOffset + table->start;
    const std::uint32_t blocks = b.u32(t + 4);
    const std::uint32_t tableOffset = b.u32(t + 0x0C);
    uncompressed = b.u64(t + 0x10);
    const std::uint64_t compressed = b.u64(t + 0x18);
    if (b.u32(t) != 2 || b.u64(t + 0x20) != kLzxFrame || blocks == 0)
        return kDamaged;
    if (uncompressed > kMaxUncompressed || uncompressed > std::uint64_t{blocks} * kLzxFrame)
        return kDamaged;
    if (compressed > content->length || tableOffset > table->length ||
        std::uint64_t{blocks} * 8 > table->length - tableOffset)
        return kDamaged;
    std::uint64_t previous = 0;
    for (std::uint32_t k = 0; k < blocks; ++k) {
        const std::uint64_t at = b.u64(t + tableOffset + std::size_t{k} * 8);
        const std::uint64_t next = k + 1 < blocks ? b.u64(t + tableOffset + std::size_t{k + 1} * 8) : compressed;
        if (at < previous || next < at || next > compressed || next - at > kLzxFrame + kLzxSlack)
            return kDamaged;
        previous = at;
    }
    return {};
}

} // namespace

Result check(const unsigned char* data, std::size_t size)
{
    const Bytes b{data, size};
    Result r;
    Directory dir;
    if ((r.error = readHeaders(b, dir)).empty())
        r.error = readChunks(b, dir, r);
    if (r.error.empty()) {
        // Stored objects must lie inside the file; before the compression check, which reads
        // its tables through them.
        for (const auto& e : r.entries)
            if (e.space == 0 && (e.start > size - dir.dataOffset || e.length > size - dir.dataOffset - e.start))
                r.error = "è troncato";
    }
    std::uint64_t uncompressed = 0;
    if (r.error.empty())
        r.error = checkCompression(b, dir, r, uncompressed);
    if (r.error.empty()) {
        for (const auto& e : r.entries)
            if (e.space == 1 && (e.start > uncompressed || e.length > uncompressed - e.start))
                r.error = kDamaged;
    }
    if (!r.error.empty())
        r.entries.clear();
    return r;
}

} // namespace framework::chmlayout
