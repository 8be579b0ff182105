#pragma once

// The documents of the root folder besides the lists: the index with its sections, the section
// separators, the result templates and the merge template, and the sample dossier.

#include "data/docbuilder/docbuilder.h"

#include <string>
#include <vector>

namespace sample {

struct Section {
    std::string number;   // "1.01.00"
    std::string title;
};

// The header section 0.00.00 and the sections of the program's built-in catalogue.
const std::vector<Section>& sections();
// "T10100" for section 1.01.00, "L10101" for list 1.01.01.
std::string symbolOf(char letter, const std::string& number);

docbuilder::Document indexDocument();
docbuilder::Document separatorDocument(const Section& section);

// What a report run leaves in the result documents.
struct StatusRow {
    std::string list;
    int status;
};
struct Finding {
    std::string list, reference, message;
    int status;
};
struct Measure {
    std::string list, reference, state;
};

// The templates with no rows; filled as the report run fills them otherwise.
docbuilder::Document statusDocument(const std::vector<StatusRow>& rows = {});
docbuilder::Document reportDocument(const std::vector<Finding>& findings = {},
                                    const std::vector<Measure>& measures = {});
docbuilder::Document mergeTemplate();

// The sample dossier into its folder, and the results of the report run over it.
void writeDossier(const std::string& folder);
std::vector<StatusRow> dossierStatuses();
std::vector<Finding> dossierFindings();
std::vector<Measure> dossierMeasures();

} // namespace sample
