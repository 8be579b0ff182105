#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace wordauto::opc {

// Bounds that keep a hostile or damaged file from exhausting memory (zip bombs included).
struct Limits {
    std::size_t maxFileBytes = 256u << 20;   // the package file itself
    std::size_t maxPartBytes = 64u << 20;    // one inflated part
    std::size_t maxTotalBytes = 512u << 20;  // all inflated parts together
    std::size_t maxParts = 10000;
};

struct Relationship {
    std::string id;
    std::string type;       // full relationship type URI
    std::string target;     // as written in the rels part
    bool external = false;
};

// Relationship type URIs used by the document layer.
namespace reltype {
inline constexpr const char* officeDocument =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument";
inline constexpr const char* styles =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles";
inline constexpr const char* settings =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/settings";
inline constexpr const char* footer =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/footer";
inline constexpr const char* header =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/header";
inline constexpr const char* numbering =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/numbering";
} // namespace reltype

// An OPC package (the zip container of a .docx) held in memory. Parts are named by their
// part name without the leading "/" ("word/document.xml"). Parts are inflated on first use;
// parts never touched are copied to the saved file with their original compressed bytes.
class Package {
public:
    // Reads the file at path. Throws WordError for a missing or unreadable file, a file that is
    // not a zip package (a binary Word 97-2003 file is named as such), a damaged zip, or a
    // package over the limits. `displayPath` is what error texts call the file.
    static Package open(const std::string& path, const Limits& limits = {});
    // Same, from bytes already in memory.
    static Package fromBytes(std::string bytes, const std::string& displayPath,
                             const Limits& limits = {});
    // The limits for what is read from here on: a package opened under tighter ones reads
    // on as one opened under these.
    void setLimits(const Limits& limits);
    // An empty package with only "[Content_Types].xml" defaults for rels and xml.
    static Package createEmpty();

    Package(Package&&) noexcept;
    Package& operator=(Package&&) noexcept;
    Package(const Package&) = delete;
    Package& operator=(const Package&) = delete;
    ~Package();

    bool hasPart(const std::string& name) const;
    // Inflated content; throws WordError when the part is missing, damaged or over the limits.
    const std::string& part(const std::string& name) const;
    // The inflated content, handed over: the package keeps no copy (it inflates the part again
    // when asked) and, unless the part is set later, saves its original compressed bytes.
    std::string takePart(const std::string& name);
    // Replaces or adds a part; the part is written anew at the next save.
    void setPart(const std::string& name, std::string content);
    void removePart(const std::string& name);
    // Part names in package order (original order, new parts at the end).
    std::vector<std::string> partNames() const;
    // True when the part was set since the package was opened.
    bool isModified(const std::string& name) const;

    // Content types ([Content_Types].xml), kept in sync with the parts.
    std::string contentType(const std::string& partName) const;
    void setOverride(const std::string& partName, const std::string& contentType);

    // Relationships of a part ("" for the package itself), from "<dir>/_rels/<file>.rels".
    std::vector<Relationship> relationships(const std::string& sourcePart) const;
    void setRelationships(const std::string& sourcePart, const std::vector<Relationship>& rels);
    // Resolves a relationship target of sourcePart to a part name.
    static std::string resolveTarget(const std::string& sourcePart, const std::string& target);
    // The part that the first relationship of the given type from sourcePart points to.
    std::optional<std::string> relatedPart(const std::string& sourcePart,
                                           const std::string& type) const;

    // Writes the package to path atomically: a temporary file in the target folder, flushed
    // and renamed over the target. On failure the target is left as it was and WordError is
    // thrown.
    void saveAs(const std::string& path) const;
    // The package as zip bytes.
    std::string toBytes() const;

    const std::string& displayPath() const;

private:
    struct Impl;
    explicit Package(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

// "/" + part name, the form part names take in content types and absolute targets.
std::string absolutePartName(const std::string& partName);

// Test hook: when set, the atomic writer calls it with the number of bytes written so far
// before each chunk; throwing from it simulates a failure midway (a full disk, a lost drive).
void setWriteFaultHook(std::function<void(std::size_t bytesWritten)> hook);

// Writes bytes to path atomically (temporary file beside it, fsync, rename, fsync of the
// folder). Throws WordError naming path on failure, leaving the old file untouched.
void writeFileAtomically(const std::string& path, const std::string& bytes);

} // namespace wordauto::opc
