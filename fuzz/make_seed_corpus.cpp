// Writes the starting corpus of the package reader fuzzer: real documents of the kinds the
// program reads (fields in tables, nested tables, protection, footers, a template), the two
// non-packages a user is most likely to pick by mistake, and the shapes of hostile files:
// deep nesting of tables, content controls and custom XML, names aimed at one slot of a
// name index, text that XML does not allow, UTF-16 parts.

#include "data/docbuilder/docbuilder.h"
#include "tests/colliding_names.h"
#include "tests/hostile_documents.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

using namespace docbuilder;

namespace {

void save(const std::filesystem::path& dir, const std::string& name, const std::string& bytes)
{
    std::ofstream out(dir / name, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + (dir / name).string());
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CORPUS_DIR\n", argv[0]);
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    std::filesystem::create_directories(dir);

    Document list;
    list.protectForms = true;
    list.pageNumberFooter = true;
    list.title = "Lista di controllo";
    list.body = {
        "Lista di controllo 1.01",
        table({row({bold("N."), bold("Voce"), bold("Esito")}),
               row({"1.01.01", TextField{"f001", "Rossi", "Nome del preposto"}, CheckBox{"t1c001", true}}),
               row({"1.01.02", TextField{"f002"}, CheckBox{"t1c002", false, "Conforme"}}),
               row({span(2, "Note"), cell({"prima riga\nseconda\triga",
                                            para({"Esito: ", DropDown{"d1", {"Sì", "No", "N.A."}, 1}})})})}),
    };
    save(dir, "lista.doc", toBytes(list));

    Document nested;
    nested.pageNumberStart = 3;
    nested.body = {
        table({row({cell({"Capitolo 2", table({row({TextField{"t2f001", "a"}, CheckBox{"t2c001"}}),
                                               row({TextField{"t2f002", "", "", "", "predefinito"},
                                                    CheckBox{"T2C001", true}})})})})}),
        table({row({"senza campi"})}, {2000}),
        para({"Firma: ", TextField{"firma"}, " ", CheckBox{}}),
    };
    save(dir, "annidata.docx", toBytes(nested));

    Document tmpl;
    tmpl.isTemplate = true;
    tmpl.author = "Quarvello";
    tmpl.body = {"Modello", para({TextField{"intestazione", "Cantiere"}})};
    save(dir, "modello.dot", toBytes(tmpl));

    save(dir, "vuoto.docx", toBytes(Document{}));

    // The header of a Word 97-2003 file, and an empty zip.
    std::string ole("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    ole.resize(512, '\0');
    save(dir, "vecchio.doc", ole);
    save(dir, "zip-vuoto.zip", std::string("PK\x05\x06", 4) + std::string(18, '\0'));

    namespace ts = testsupport;
    const std::string f = ts::field("f001", "Rossi");
    // Over the depth bound, and just under it through every wrapper the walks look into.
    save(dir, "tabelle-profonde.docx",
         ts::package(ts::documentXml(ts::nested("<w:tbl><w:tr><w:tc>", f, "</w:tc></w:tr></w:tbl>", 2000))));
    save(dir, "sdt-profondi.docx",
         ts::package(ts::documentXml(ts::nested("<w:sdt><w:sdtContent>", ts::table(ts::row(ts::cell(f))),
                                                "</w:sdtContent></w:sdt>", 2000))));
    save(dir, "involucri.docx",
         ts::package(ts::documentXml(ts::nested(
             "<w:customXml>",
             ts::table(ts::nested("<w:sdt><w:sdtContent>",
                                  ts::row(ts::nested("<w:customXml>",
                                                     ts::cell(ts::nested("<w:sdt><w:sdtContent>", f,
                                                                         "</w:sdtContent></w:sdt>", 100)),
                                                     "</w:customXml>", 100)),
                                  "</w:sdtContent></w:sdt>", 100)),
             "</w:customXml>", 100))));
    std::string names;
    for (const auto& n : ts::fnvCollidingNames(2048, 12))
        names += ts::field(n, "x");
    save(dir, "nomi-sovrapposti.docx", ts::package(ts::documentXml(names)));
    save(dir, "testo-non-ammesso.docx",
         ts::package(ts::documentXml(ts::field("f\xC3\x28", "a&#1;b&nbsp;\xED\xA0\x80"))));
    save(dir, "utf16.docx",
         ts::package(ts::utf16(ts::documentXml(ts::table(ts::row(ts::cell(ts::field("perché", "Sì"))))), true),
                     {ts::settingsPart(ts::utf16(
                         ts::settingsXml("<w:documentProtection w:edit=\"forms\" w:enforcement=\"1\" w:hash=\"\"/>"),
                         false))}));
    return 0;
}
