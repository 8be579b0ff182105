// The sample root folder, read back through the object model as the program reads it: the
// index, the blank lists and their field names, the D1 risk ranges, the sample dossier and the
// result documents.
#include "data/generator/sample_root.h"
#include "tests/test_support.h"
#include "wordauto/word.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>

using namespace wordauto;
using namespace testsupport;
namespace fs = std::filesystem;

namespace {

using Kinds = std::map<std::string, std::string>; // list number -> kind

// Cleaned as the program cleans a cell: blanks off both ends, then the trailing end-of-cell mark.
std::string cellText(const DOC_Table& t, int row, int column)
{
    std::string s = t.Cell(row, column).Range().Text_();
    auto first = s.find_first_not_of(' ');
    s = first == std::string::npos ? "" : s.substr(first, s.find_last_not_of(' ') - first + 1);
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= 31)
        s.pop_back();
    return s;
}

std::vector<std::string> rowTexts(const DOC_Table& t, int row)
{
    std::vector<std::string> out;
    for (int c = 1; c <= t.Rows().Item(row).CellCount(); ++c)
        out.push_back(cellText(t, row, c));
    return out;
}

bool blank(const std::string& s)
{
    // An empty text field shows en spaces (U+2002).
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s.compare(i, 3, "\xE2\x80\x82") == 0)
            i += 2;
        else if (s[i] != ' ')
            return false;
    }
    return true;
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// '#' stands for a digit, every other character for itself.
bool matches(const std::string& s, const std::string& pattern)
{
    if (s.size() != pattern.size())
        return false;
    for (std::size_t i = 0; i < s.size(); ++i)
        if (pattern[i] == '#' ? !isDigit(s[i]) : s[i] != pattern[i])
            return false;
    return true;
}

bool isListNumber(const std::string& s)
{
    return matches(s, "#.##.##");
}

// The field-name scheme of each kind: the first character (A1) or the first three name the
// prefix, which fixes the length; t1c of C1 and D1 ends in a, b or c; t4r puts a two-digit
// risk code and "l" before the row. Stricter than the program's check: rows must be digits.
bool fitsScheme(const std::string& kind, const std::string& name)
{
    static const std::map<std::string, std::vector<std::pair<std::string, std::size_t>>> scheme = {
        {"A1", {{"f", 4}, {"l", 4}}},
        {"B1", {{"t1c", 6}, {"t2c", 6}, {"t2f", 6}}},
        {"C1", {{"t1c", 7}, {"t1f", 6}, {"t2c", 6}, {"t3l", 6}, {"t3f", 6}, {"t3c", 6}}},
        {"D1", {{"t1c", 7}, {"t1f", 6}, {"t2c", 6}, {"t2f", 6}, {"t3c", 6}, {"t4r", 9}, {"t4f", 6},
                {"t4c", 6}, {"t5l", 6}, {"t5f", 6}, {"t5c", 6}}},
        {"E1", {{"t1l", 6}, {"t1f", 6}, {"t1c", 6}, {"t2l", 6}, {"t2f", 6}, {"t2c", 6}}},
        {"E2", {{"t1l", 6}, {"t1f", 6}, {"t1c", 6}}},
    };
    if (name == "note1")
        return true;
    const std::string key = name.substr(0, kind == "A1" ? 1 : 3);
    for (const auto& [prefix, length] : scheme.at(kind)) {
        if (prefix != key)
            continue;
        if (name.size() != length)
            return false;
        const std::size_t rowAt = prefix == "t4r" ? 6 : prefix.size();
        if (!std::all_of(name.begin() + rowAt, name.begin() + rowAt + 3, isDigit))
            return false;
        if (prefix == "t1c" && length == 7 && !std::strchr("abc", name.back()))
            return false;
        if (prefix == "t4r" && (name[5] != 'l' || !isDigit(name[3]) || !isDigit(name[4])))
            return false;
        return true;
    }
    return false;
}

int rowOf(const std::string& name)
{
    return std::stoi(name.substr(name.starts_with("t4r") ? 6 : name.starts_with("f") ? 1 : 3, 3));
}

std::vector<DOC_FormField> fieldsOf(const DOC_Document& d)
{
    std::vector<DOC_FormField> out;
    for (int n = 1; n <= d.FormFields().Count(); ++n)
        out.push_back(d.FormFields().Item(n));
    return out;
}

class SampleRootTest : public TempDirTest {
protected:
    void SetUp() override
    {
        TempDirTest::SetUp();
        sample::writeSampleRoot(dir_.string());
        dossier_ = dir_ / "DATI" / sample::kDossierName;
    }
    void TearDown() override
    {
        app_.Quit(wdDoNotSaveChanges);
        TempDirTest::TearDown();
    }

    DOC_Document open(const fs::path& p) { return app_.Documents().Open(p.string(), false, true); }

    Kinds listKinds()
    {
        Kinds kinds;
        auto t = open(dir_ / "_Indice_Liste.doc").Tables().Item(1);
        for (int r = 2; r <= t.Rows().Count(); ++r)
            if (cellText(t, r, 5).starts_with("L"))
                kinds[cellText(t, r, 1)] = cellText(t, r, 3);
        return kinds;
    }

    // The statuses the dossier's status document gives, by list.
    std::map<std::string, int> dossierStatuses()
    {
        std::map<std::string, int> out;
        auto t = open(dossier_ / "_Stato_Liste.doc").Tables().Item(1);
        for (int r = 2; r <= t.Rows().Count(); ++r) {
            EXPECT_TRUE(out.emplace(cellText(t, r, 1), std::stoi(cellText(t, r, 2))).second)
                << "two status rows for " << cellText(t, r, 1);
        }
        return out;
    }

    fs::path dossierFile(const std::string& number)
    {
        return dossier_ / (number == "0.00.01" ? "0.00.01.doc" : number + ".DOC");
    }

    DOC_Application app_;
    fs::path dossier_;
};

TEST_F(SampleRootTest, IndexListsTheSectionsAndHangsEveryListUnderItsSection)
{
    auto t = open(dir_ / "_Indice_Liste.doc").Tables().Item(1);
    EXPECT_EQ(rowTexts(t, 1), (std::vector<std::string>{"Numero", "Titolo", "Tipo", "Obbligatoria",
                                                         "Simbolo", "Simbolo Padre"}));
    EXPECT_EQ(rowTexts(t, 2),
              (std::vector<std::string>{"0.00.00", "DATI GENERALI", "", "", "T00000", "ROOT"}));
    EXPECT_EQ(rowTexts(t, 3), (std::vector<std::string>{"0.00.01", "Dati generali della verifica", "A1",
                                                         "S", "L00001", "T00000"}));

    std::map<std::string, std::string> sectionSymbols; // number -> symbol, as met
    std::map<std::string, int> perKind;
    for (int r = 2; r <= t.Rows().Count(); ++r) {
        auto c = rowTexts(t, r);
        ASSERT_EQ(c.size(), 6u) << "row " << r;
        ASSERT_TRUE(isListNumber(c[0])) << "row " << r;
        ASSERT_FALSE(c[1].empty()) << "row " << r;
        std::string digits = c[0].substr(0, 1) + c[0].substr(2, 2) + c[0].substr(5, 2);
        if (c[4].starts_with("T")) {
            EXPECT_EQ(c[4], "T" + digits);
            EXPECT_EQ(c[5], c[0].ends_with(".00.00") ? "ROOT" : "T" + c[0].substr(0, 1) + "0000") << c[0];
            sectionSymbols[c[0]] = c[4];
        } else {
            EXPECT_EQ(c[4], "L" + digits);
            auto section = sectionSymbols.find(c[0].substr(0, 4) + ".00");
            ASSERT_NE(section, sectionSymbols.end()) << c[0] << " comes before its section";
            EXPECT_EQ(c[5], section->second) << c[0];
            EXPECT_TRUE(c[3] == "S" || c[3] == "N") << c[0];
            ++perKind[c[2]];
        }
    }
    // The built-in catalogue's 32 sections and the header section.
    EXPECT_EQ(sectionSymbols.size(), 33u);
    EXPECT_EQ(sectionSymbols.count("5.01.00"), 0u);
    EXPECT_EQ(sectionSymbols.at("2.02.00"), "T20200");
    for (const char* kind : {"A1", "B1", "C1", "D1", "E1", "E2"})
        EXPECT_GE(perKind[kind], 2) << kind;
}

TEST_F(SampleRootTest, EveryListHasAProtectedBlankWhoseFieldsFitItsKindAndRunOn)
{
    const Kinds kinds = listKinds();
    ASSERT_FALSE(kinds.empty());
    EXPECT_EQ(static_cast<std::size_t>(std::distance(fs::directory_iterator(dir_ / "LDC"),
                                                     fs::directory_iterator())),
              kinds.size());
    for (const auto& [number, kind] : kinds) {
        SCOPED_TRACE(number);
        const fs::path blankPath = dir_ / "LDC" / (number + ".DOC");
        ASSERT_TRUE(fs::exists(blankPath));
        auto d = open(blankPath);
        EXPECT_EQ(d.ProtectionType(), wdAllowOnlyFormFields);
        EXPECT_TRUE(d.Bookmarks().Exists("note1"));

        std::set<std::string> names;
        std::map<char, std::pair<int, int>> tableRows; // table digit -> first and last row
        for (const auto& f : fieldsOf(d)) {
            const std::string name = f.Name();
            EXPECT_TRUE(fitsScheme(kind, name)) << name;
            EXPECT_TRUE(names.insert(name).second) << "twice: " << name;
            if (name == "note1" || !fitsScheme(kind, name))
                continue;
            const bool isBox = kind != "A1" && name[2] == 'c';
            EXPECT_TRUE(isBox ? !f.CheckBox().Value() : blank(f.Result())) << name << " is filled";
            if (kind == "A1")
                continue;
            auto it = tableRows.try_emplace(name[1], rowOf(name), rowOf(name)).first;
            it->second.first = std::min(it->second.first, rowOf(name));
            it->second.second = std::max(it->second.second, rowOf(name));
        }
        if (kind == "A1") {
            EXPECT_TRUE(d.Bookmarks().Exists("f001"));
            continue;
        }
        ASSERT_TRUE(tableRows.contains('1'));
        EXPECT_EQ(tableRows['1'].first, 1);
        for (auto it = std::next(tableRows.begin()); it != tableRows.end(); ++it)
            EXPECT_EQ(it->second.first, std::prev(it)->second.second + 1) << "table " << it->first;
        const std::map<std::string, std::size_t> tablesOfKind = {{"B1", 2}, {"C1", 3}, {"D1", 5},
                                                                 {"E1", 2}, {"E2", 1}};
        EXPECT_EQ(tableRows.size(), tablesOfKind.at(kind));
    }
}

TEST_F(SampleRootTest, D1RiskRangesCoverT4ExactlyAndT5StartsOnePastTheLast)
{
    int d1Lists = 0;
    for (const auto& [number, kind] : listKinds()) {
        if (kind != "D1")
            continue;
        SCOPED_TRACE(number);
        ++d1Lists;
        auto d = open(dir_ / "LDC" / (number + ".DOC"));
        std::set<int> t4Rows, t5Rows, covered;
        std::vector<DOC_FormField> risks;
        for (const auto& f : fieldsOf(d)) {
            const std::string name = f.Name();
            if (name.starts_with("t2c"))
                risks.push_back(f);
            else if (name.starts_with("t4"))
                t4Rows.insert(rowOf(name));
            else if (name.starts_with("t5"))
                t5Rows.insert(rowOf(name));
        }
        ASSERT_GE(risks.size(), 2u);
        bool otherRisks = false;
        int last = 0;
        for (const auto& risk : risks) {
            const std::string status = risk.StatusText(), help = risk.HelpText();
            ASSERT_TRUE(status.size() > 3 && matches(status.substr(0, 3), "## ") && status[3] != ' ')
                << status;
            ASSERT_TRUE(matches(help, "######")) << risk.Name() << " " << help;
            const int first = std::stoi(help.substr(0, 3));
            last = std::stoi(help.substr(3));
            ASSERT_LE(first, last) << status;
            for (int r = first; r <= last; ++r) {
                EXPECT_TRUE(covered.insert(r).second) << "row " << r << " in two ranges";
                char suffix[8];
                std::snprintf(suffix, sizeof suffix, "%03d", r);
                EXPECT_TRUE(d.Bookmarks().Exists("t4r" + status.substr(0, 2) + "l" + suffix))
                    << status << " " << r;
                EXPECT_TRUE(d.Bookmarks().Exists(std::string("t4f") + suffix));
                EXPECT_TRUE(d.Bookmarks().Exists(std::string("t4c") + suffix));
            }
            if (status.starts_with("91")) {
                otherRisks = true;
                EXPECT_TRUE(d.Bookmarks().Exists("t2f" + risk.Name().substr(3)));
            }
        }
        EXPECT_TRUE(otherRisks);
        EXPECT_EQ(covered, t4Rows);
        ASSERT_FALSE(t5Rows.empty());
        EXPECT_EQ(*t5Rows.begin(), last + 1);
    }
    EXPECT_GE(d1Lists, 2);
}

TEST_F(SampleRootTest, DossierHeaderIsFilledForTheMainWindowBoxes)
{
    auto d = open(dossier_ / "0.00.01.doc");
    auto result = [&](const char* name) {
        EXPECT_TRUE(d.Bookmarks().Exists(name)) << name;
        return d.Bookmarks().Exists(name) ? d.FormFields().Item(name).Result() : std::string();
    };
    EXPECT_EQ(result("f001"), "Edil Rossi S.r.l.");
    for (const char* name : {"f002", "f003", "f004", "f005", "note1"})
        EXPECT_FALSE(blank(result(name))) << name;
    const std::string date = result("f006");
    ASSERT_TRUE(matches(date, "##.##.20##")) << date;
    EXPECT_TRUE(std::stoi(date.substr(0, 2)) >= 1 && std::stoi(date.substr(0, 2)) <= 31) << date;
    EXPECT_TRUE(std::stoi(date.substr(3, 2)) >= 1 && std::stoi(date.substr(3, 2)) <= 12) << date;
}

TEST_F(SampleRootTest, TheSpoiledDossierListsBreakWhatTheyShouldAndTheOthersFitTheirScheme)
{
    const Kinds kinds = listKinds();
    std::map<std::string, std::vector<std::string>> offending;
    for (const auto& e : fs::directory_iterator(dossier_)) {
        const std::string file = e.path().filename().string();
        if (file.starts_with("_"))
            continue;
        const std::string number = file.substr(0, 7);
        ASSERT_TRUE(kinds.contains(number)) << file << " is not in the index";
        for (const auto& f : fieldsOf(open(e.path())))
            if (!fitsScheme(kinds.at(number), f.Name()))
                offending[number].push_back(f.Name());
    }
    EXPECT_EQ(offending, (std::map<std::string, std::vector<std::string>>{{"1.01.03", {"t2c13"}}}));

    // C1 whose T2 starts again at 001 where T1 ended at row 5.
    auto c1 = open(dossierFile("2.02.01"));
    EXPECT_TRUE(c1.Bookmarks().Exists("t1c005a"));
    EXPECT_FALSE(c1.Bookmarks().Exists("t1c006a"));
    EXPECT_FALSE(c1.Bookmarks().Exists("t2c006"));
    EXPECT_TRUE(c1.Bookmarks().Exists("t2c001"));

    // D1 with a ticked-off table 1 and a risk box that lost its range.
    auto d1 = open(dossierFile("4.01.02"));
    EXPECT_TRUE(d1.FormFields().Item("t1c001a").CheckBox().Value());
    int withoutHelp = 0;
    for (const auto& f : fieldsOf(d1))
        if (f.Name().starts_with("t2c") && blank(f.HelpText()))
            ++withoutHelp;
    EXPECT_EQ(withoutHelp, 1);
}

TEST_F(SampleRootTest, ResultTemplatesFollowTheirRowPlans)
{
    auto status = open(dir_ / "_Stato_Liste.doc");
    EXPECT_EQ(status.ProtectionType(), wdNoProtection);
    auto s = status.Tables().Item(1);
    ASSERT_EQ(s.Rows().Count(), 2);
    EXPECT_EQ(rowTexts(s, 1), (std::vector<std::string>{"Lista", "Stato"}));
    EXPECT_EQ(rowTexts(s, 2), (std::vector<std::string>{"", ""}));

    auto report = open(dir_ / "_Rapporto_Fascicolo.doc");
    EXPECT_EQ(report.ProtectionType(), wdNoProtection);
    ASSERT_GE(report.Tables().Count(), 2);
    for (int n : {1, 2}) {
        SCOPED_TRACE(n);
        auto t = report.Tables().Item(n);
        const std::size_t columns = n == 1 ? 4 : 3;
        ASSERT_EQ(t.Rows().Count(), 3);
        EXPECT_EQ(rowTexts(t, 2).size(), columns);
        EXPECT_FALSE(isListNumber(cellText(t, 2, 1)));
        EXPECT_EQ(rowTexts(t, 3), std::vector<std::string>(columns));
    }
    EXPECT_EQ(cellText(report.Tables().Item(1), 2, 3), "Messaggio");
    EXPECT_EQ(cellText(report.Tables().Item(2), 2, 3), "Stato misura");
    EXPECT_EQ(app_.Documents().Add((dir_ / "_Fascicolo1.dot").string()).FormFields().Count(), 0);
}

TEST_F(SampleRootTest, DossierResultsAgreeWithItsLists)
{
    const std::map<std::string, int> statuses = dossierStatuses();
    // Every list of the dossier but the three the checks refuse, and each filled in a different way.
    std::set<std::string> expectedLists;
    for (const auto& e : fs::directory_iterator(dossier_))
        if (!e.path().filename().string().starts_with("_"))
            expectedLists.insert(e.path().filename().string().substr(0, 7));
    for (const char* refused : {"1.01.03", "2.02.01", "4.01.02"})
        expectedLists.erase(refused);
    std::set<std::string> listed;
    std::set<int> seen;
    for (const auto& [list, status] : statuses) {
        listed.insert(list);
        seen.insert(status);
    }
    EXPECT_EQ(listed, expectedLists);
    EXPECT_EQ(seen, (std::set<int>{1, 2, 3, 4}));

    // A1 lists: 4 all filled, 1 none, 3 some, as their fields say.
    const Kinds kinds = listKinds();
    for (const auto& [list, status] : statuses) {
        if (kinds.at(list) != "A1")
            continue;
        int filled = 0, empty = 0;
        for (const auto& f : fieldsOf(open(dossierFile(list))))
            if (f.Name().starts_with("f"))
                ++(blank(f.Result()) ? empty : filled);
        EXPECT_EQ(status, filled && empty ? 3 : filled ? 4 : 1) << list;
    }

    auto report = open(dossier_ / "_Rapporto_Fascicolo.doc");
    auto findings = report.Tables().Item(1);
    std::map<std::string, int> findingsOf;
    for (int r = 3; r <= findings.Rows().Count(); ++r) {
        auto c = rowTexts(findings, r);
        SCOPED_TRACE(c[0] + " " + c[1]);
        ASSERT_TRUE(statuses.contains(c[0]));
        const int status = statuses.at(c[0]);
        EXPECT_EQ(std::stoi(c[3]), status);
        EXPECT_FALSE(c[2].empty());
        ++findingsOf[c[0]];
        auto d = open(dossierFile(c[0]));
        if (status == 1) {
            EXPECT_EQ(c[1], "L1");
            EXPECT_EQ(c[2], "Lista vuota - da compilare");
        } else if (kinds.at(c[0]) == "A1") {
            ASSERT_TRUE(d.Bookmarks().Exists(c[1]));
            EXPECT_TRUE(blank(d.FormFields().Item(c[1]).Result()));
            EXPECT_EQ(c[2], "Campo [" + d.FormFields().Item(c[1]).StatusText() + "] vuoto");
        } else if (matches(c[1], "T#-###")) {
            const std::string prefix = "t" + c[1].substr(1, 1), row = c[1].substr(3);
            auto fields = fieldsOf(d);
            EXPECT_TRUE(std::any_of(fields.begin(), fields.end(), [&](const DOC_FormField& f) {
                const std::string n = f.Name();
                return n.starts_with(prefix) && fitsScheme(kinds.at(c[0]), n) && rowOf(n) == std::stoi(row);
            })) << "no such row";
        } else {
            EXPECT_TRUE(c[1] == "T2" || c[1] == "T3" || c[1] == "T5") << "no such table";
        }
    }
    for (const auto& [list, status] : statuses) {
        if (status == 1)
            EXPECT_EQ(findingsOf[list], 1) << list;
        else
            EXPECT_EQ(findingsOf[list] > 0, status != 4) << list;
    }

    // A measure is a row selected with S, its state the implemented box; lists with 1 or 3 have none.
    auto measures = report.Tables().Item(2);
    EXPECT_GT(measures.Rows().Count(), 3);
    for (int r = 3; r <= measures.Rows().Count(); ++r) {
        auto c = rowTexts(measures, r);
        SCOPED_TRACE(c[0] + " " + c[1]);
        ASSERT_TRUE(statuses.contains(c[0]));
        EXPECT_TRUE(statuses.at(c[0]) == 2 || statuses.at(c[0]) == 4);
        ASSERT_TRUE(matches(c[1], "T#-###"));
        auto d = open(dossierFile(c[0]));
        const std::string digit = c[1].substr(1, 1), row = c[1].substr(3);
        std::string selection = "t" + digit + "l" + row;
        if (digit == "4")
            for (const auto& f : fieldsOf(d))
                if (f.Name().starts_with("t4r") && f.Name().ends_with(row))
                    selection = f.Name();
        ASSERT_TRUE(d.Bookmarks().Exists(selection)) << selection;
        EXPECT_EQ(d.FormFields().Item(selection).Result(), "S");
        const bool done = d.FormFields().Item("t" + digit + "c" + row).CheckBox().Value();
        EXPECT_EQ(c[2], done ? "Attuato" : "Non Attuato");
    }
}

} // namespace
