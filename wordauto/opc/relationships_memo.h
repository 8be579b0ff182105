#pragma once

#include "wordauto/opc/package.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace wordauto::opc {

// A part as the zip stores it. Two parts stored alike hold the same content, so this tells
// them apart without inflating either.
struct StoredPart {
    std::string compressed;
    std::uint32_t crc = 0;
    std::uint16_t method = 0;
    std::uint64_t size = 0;

    bool operator==(const StoredPart&) const = default;
};

// The lists of a dossier are copies of the same blanks, with byte-identical relationship
// parts: the relationships parsed last are kept with the stored part they came from, so the
// next package that stores the same part needs neither inflating nor parsing it.
std::optional<std::vector<Relationship>> rememberedRelationships(const StoredPart& part);
void rememberRelationships(StoredPart part, std::vector<Relationship> rels);

} // namespace wordauto::opc
