// Copying a document into a folder never replaces one that is there, and a copy that fails
// midway leaves nothing behind: no half document, no temporary file a listing would take.
#include "data/docbuilder/docbuilder.h"
#include "framework/file_copy.h"
#include "runtime/file_lookup.h"
#include "tests/fixture_docs.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

namespace fs = std::filesystem;
using testsupport::readFile;
using testsupport::TempDirTest;
using testsupport::writeFile;

class CopyTest : public TempDirTest {
protected:
    void SetUp() override
    {
        TempDirTest::SetUp();
        fs::create_directories(dir_ / "LDC");
        fs::create_directories(dir_ / "DATI");
        source = path("LDC/1.01.01.DOC");
        testsupport::writeNotesList(source, "lista vuota");
    }
    void TearDown() override
    {
        framework::setCopyFaultHook(nullptr);
        TempDirTest::TearDown();
    }
    std::string dossier() const { return path("DATI"); }
    std::vector<std::string> dossierNames() const
    {
        std::vector<std::string> out;
        for (const auto& e : fs::directory_iterator(dossier()))
            out.push_back(e.path().filename().string());
        std::sort(out.begin(), out.end());
        return out;
    }
    std::string source;
};

TEST_F(CopyTest, ACopyIsByteForByteUnderItsName)
{
    const auto r = framework::copyFileNoReplace(source, dossier(), "1.01.01.DOC");
    EXPECT_EQ(r.outcome, framework::CopyOutcome::Copied);
    EXPECT_EQ(r.target, path("DATI/1.01.01.DOC"));
    EXPECT_EQ(readFile(r.target), readFile(source));
    EXPECT_EQ(dossierNames(), (std::vector<std::string>{"1.01.01.DOC"}));
    EXPECT_EQ(fs::status(r.target).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read);
}

TEST_F(CopyTest, AFileThereAlreadyIsKeptWhateverTheCaseOfItsName)
{
    for (const char* existing : {"1.01.01.DOC", "1.01.01.doc"}) {
        SCOPED_TRACE(existing);
        fs::remove_all(dossier());
        fs::create_directories(dossier());
        testsupport::writeNotesList(path(std::string("DATI/") + existing), "dati del cantiere");
        const std::string before = readFile(path(std::string("DATI/") + existing));

        const auto r = framework::copyFileNoReplace(source, dossier(), "1.01.01.DOC");

        EXPECT_EQ(r.outcome, framework::CopyOutcome::TargetExists);
        EXPECT_EQ(r.target, path(std::string("DATI/") + existing));
        EXPECT_EQ(readFile(r.target), before);
        EXPECT_EQ(dossierNames(), (std::vector<std::string>{existing}));
    }
}

TEST_F(CopyTest, AFailureMidwayLeavesNoDocumentAndNoTemporaryFile)
{
    // Larger than one chunk, so the fault can strike between chunks.
    writeFile(source, std::string(200000, 'x'));
    for (std::size_t failAt : {std::size_t{0}, std::size_t{1}, std::size_t{200000}}) {
        SCOPED_TRACE(failAt);
        framework::setCopyFaultHook([failAt](std::size_t written) {
            if (written >= failAt)
                throw std::runtime_error("disco pieno");
        });
        const auto r = framework::copyFileNoReplace(source, dossier(), "1.01.01.DOC");
        EXPECT_EQ(r.outcome, framework::CopyOutcome::Failed);
        EXPECT_EQ(r.cause, "copia interrotta");
        EXPECT_TRUE(dossierNames().empty());
    }
}

TEST_F(CopyTest, ATemporaryFileLeftByACrashIsNeverListedAsAList)
{
    // What a copy killed before its rename leaves: hidden, and not a list number.
    writeFile(dir_ / "DATI" / ".~1.01.01.DOC.a1B2c3", "mezzo");
    writeFile(dir_ / "DATI" / "1.01.02.DOC", "lista");
    EXPECT_EQ(vendrik::listFiles(dossier(), "1.??.??.DOC"), (std::vector<std::string>{"1.01.02.DOC"}));
    EXPECT_EQ(vendrik::listFiles(dossier(), "*"), (std::vector<std::string>{"1.01.02.DOC"}));
}

TEST_F(CopyTest, WhatCannotBeCopiedFailsWithItsCause)
{
    fs::create_directories(dir_ / "LDC" / "cartella.DOC");
    const struct {
        std::string source;
        std::string folder;
    } cases[] = {
        {path("LDC/9.99.99.DOC"), dossier()},          // no such source
        {path("LDC/cartella.DOC"), dossier()},         // a folder, not a file
        {source, path("DATI/manca")},                  // no such target folder
    };
    const auto outside = framework::copyFileNoReplace(source, dossier(), "../1.01.01.DOC");
    EXPECT_EQ(outside.outcome, framework::CopyOutcome::Failed);
    EXPECT_FALSE(fs::exists(path("1.01.01.DOC")));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source + " -> " + c.folder);
        const auto r = framework::copyFileNoReplace(c.source, c.folder, "1.01.01.DOC");
        EXPECT_EQ(r.outcome, framework::CopyOutcome::Failed);
        EXPECT_FALSE(r.cause.empty());
    }
    EXPECT_TRUE(dossierNames().empty());
}

TEST_F(CopyTest, RemovingDeletesPlainFilesOnly)
{
    writeFile(dir_ / "DATI" / "1.01.01.DOC", "lista");
    fs::create_directories(dir_ / "DATI" / "1.01.02.DOC");
    std::string cause;
    EXPECT_TRUE(framework::removeFile(path("DATI/1.01.01.DOC"), &cause));
    EXPECT_FALSE(framework::removeFile(path("DATI/1.01.02.DOC"), &cause));
    EXPECT_FALSE(cause.empty());
    EXPECT_FALSE(framework::removeFile(path("DATI/9.99.99.DOC"), &cause));
    EXPECT_EQ(dossierNames(), (std::vector<std::string>{"1.01.02.DOC"}));
}

} // namespace
