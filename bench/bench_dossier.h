#pragma once

// Large dossiers for the benchmarks, made of the sample dossier's filled lists copied under new
// numbers, so every kind and every outcome (complete, incomplete, empty, faulty) is in the mix.

#include <filesystem>
#include <string>
#include <vector>

namespace benchdossier {

namespace fs = std::filesystem;

inline constexpr const char* kDossierDir = "/Cantiere";

// The sample root, written once into a scratch folder: the result templates, the header and the
// filled lists to copy from.
class Sources {
public:
    explicit Sources(const fs::path& scratch);

    struct List {
        fs::path file;
        std::string title;
        std::string kind;
    };
    const fs::path& sampleRoot() const { return sampleRoot_; }
    const fs::path& header() const { return header_; }
    const std::vector<List>& lists() const { return lists_; }

private:
    fs::path sampleRoot_;
    fs::path header_;
    std::vector<List> lists_;
};

// The number of the i-th list (from 0): 99 lists to a section, the sections spread over the
// first digits 1 to 5, so the per-digit listing has work to do.
std::string listNumber(int i);

// A root folder: the list index (the header list 0.00.01, the sections, `lists` lists), the two
// result templates, and the dossier DATI/Cantiere with the header and the lists.
void writeRoot(const Sources& sources, const fs::path& root, int lists);

// The list documents of the root's dossier, the header left out.
std::vector<std::string> listFiles(const fs::path& root);

} // namespace benchdossier
