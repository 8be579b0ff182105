// The reading of an XML part as it is stored: what it takes as well-formed a conforming parser
// reads too, and the parts of real documents are taken as they are (a save copies them through).
#include "data/generator/sample_root.h"
#include "tests/conforming_reader.h"
#include "tests/test_support.h"
#include "wordauto/oxml/xml_markup.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;
using wordauto::detail::isWellFormedAsStored;

TEST(XmlMarkupTest, WhatItTakesAsStoredAConformingParserReads)
{
    const std::string decl = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>";
    const struct {
        const char* what;
        std::string text;
        bool asStored;
    } cases[] = {
        {"a plain document", decl + "<a x=\"1\" y='2'><b/>testo &amp; &#233; &#xE9;</a>", true},
        {"no declaration, a BOM, blanks and comments around", "\xEF\xBB\xBF<!-- c --> <a/>\n<?pi dati?>\n", true},
        {"CDATA, comments and instructions inside", "<a><![CDATA[<x>&]]><!--c--><?p?></a>", true},
        {"end tags with blanks, attribute values with > and blanks", "<a b=\"1>2\n\t3\" ></a >", true},
        {"names beyond ASCII", "<città xmlns:é=\"urn:e\" é:x=\"1\"><é:y/></città>", true},
        {"a stylesheet instruction before the root", "<?xml-stylesheet href=\"a\"?><a/>", true},
        {"a raw < in an attribute value", "<a b=\"1<2\"/>", false},
        {"text after the root", "<a/>coda", false},
        {"text before the root", "prima<a/>", false},
        {"two roots", "<a/><b/>", false},
        {"no root", decl + "<!-- solo -->", false},
        {"CDATA outside the root", "<a/><![CDATA[x]]>", false},
        {"]]> in text", "<a>x]]>y</a>", false},
        {"an end tag that does not match", "<a><b></a></b>", false},
        {"an element left open", "<a><b></b>", false},
        {"attributes without a blank between them", "<a b=\"1\"c=\"2\"/>", false},
        {"an attribute without a value", "<a b/>", false},
        {"an unquoted value", "<a b=1/>", false},
        {"a bare ampersand", "<a>x & y</a>", false},
        {"an undefined entity", "<a>&nbsp;</a>", false},
        {"a reference without digits", "<a>&#x;</a>", false},
        {"a comment holding --", "<!-- a -- b --><a/>", false},
        {"a comment ending in ---", "<a><!-- a ---></a>", false},
        {"a declaration after blanks", " " + decl + "<a/>", false},
        {"a declaration in capitals", "<?XML version=\"1.0\"?><a/>", false},
        {"a declaration without a version", "<?xml encoding=\"UTF-8\"?><a/>", false},
        {"a declaration naming another encoding", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a/>", false},
        {"a declaration naming UTF\r8", "<?xml version=\"1.0\" encoding=\"UTF\r8\"?><a/>", false},
        {"a declaration with standalone maybe", "<?xml version=\"1.0\" standalone=\"maybe\"?><a/>", false},
        {"an instruction named xml inside", "<a><?xml version=\"1.0\"?></a>", false},
        {"a DOCTYPE", "<!DOCTYPE a><a/>", false},
        {"a control character", "<a>\x01</a>", false},
        {"bytes that are not UTF-8", "<a>\xFF</a>", false},
        {"a name starting with a digit", "<1a/>", false},
        {"a blank after <", "< a/>", false},
        {"empty", "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(isWellFormedAsStored(c.text), c.asStored);
        // Taken as stored is a promise a conforming reader keeps; refused, it is only doubt.
        if (c.asStored) {
            EXPECT_EQ(testsupport::conformanceFault(c.text), std::nullopt);
        }
    }
}

class XmlMarkupSampleTest : public testsupport::TempDirTest {};

TEST_F(XmlMarkupSampleTest, EveryPartOfTheSampleDocumentsIsTakenAsStored)
{
    sample::writeSampleRoot((dir_ / "root").string());
    int parts = 0;
    for (const auto& e : fs::recursive_directory_iterator(dir_ / "root")) {
        const auto ext = e.path().extension().string();
        if (!e.is_regular_file() || (ext != ".doc" && ext != ".DOC" && ext != ".dot" && ext != ".DOT"))
            continue;
        const auto package = wordauto::opc::Package::open(e.path().string());
        for (const auto& name : package.partNames()) {
            if (!testsupport::isXmlPartName(name))
                continue;
            SCOPED_TRACE(e.path().string() + " " + name);
            EXPECT_TRUE(isWellFormedAsStored(package.part(name)));
            ++parts;
        }
    }
    EXPECT_GT(parts, 50);
}

} // namespace
