// The reading of an XML part as it is stored: what it takes as sound a conforming parser reads
// too, and its parsed tree passes the tree check (an open takes it without that check); the
// parts of real documents are taken as they are (a save copies them through).
#include "data/generator/sample_root.h"
#include "tests/conforming_reader.h"
#include "tests/test_support.h"
#include "wordauto/oxml/xml_markup.h"
#include "wordauto/oxml/xml_names.h"
#include "wordauto/oxml/xml_text.h"
#include "wordauto/oxml/xml_tree_check.h"
#include "wordauto/oxml/xml_util.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using wordauto::detail::isSoundAsStored;
using wordauto::detail::kMaxXmlDepth;

// Elements nested `depth` deep, `inner` in the innermost.
std::string nested(std::size_t depth, const std::string& inner = "")
{
    std::string text;
    for (std::size_t i = 0; i < depth; ++i)
        text += "<a>";
    text += inner;
    for (std::size_t i = 0; i < depth; ++i)
        text += "</a>";
    return text;
}

// Room after the markup, as in a real part, so that tags are taken whole.
const std::string kRoom = "<!--" + std::string(300, '.') + "-->";

// Taken as stored is a promise a conforming reader keeps, and the byte scan and the tree check.
void expectReadAlikeByEveryReader(const std::string& text)
{
    EXPECT_EQ(testsupport::conformanceFault(text), std::nullopt);
    EXPECT_EQ(wordauto::detail::xmlTextFault(text), std::nullopt);
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_buffer(text.data(), text.size(), wordauto::detail::kParseOptions));
    EXPECT_EQ(wordauto::detail::xmlTreeFault(doc), std::nullopt);
}

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
        // Namespaces.
        {"a namespace and its prefix", "<p:a xmlns:p=\"urn:x\"><p:b p:c=\"1\"/></p:a>", true},
        {"the xml prefix, bound by itself", "<a xml:space=\"preserve\"/>", true},
        {"the default namespace declared and undeclared", "<a xmlns=\"urn:x\"><b xmlns=\"\"/></a>", true},
        {"one local name in other namespaces", "<a xmlns:p=\"urn:x\" xmlns:q=\"urn:y\" p:b=\"1\" q:b=\"2\" b=\"3\"/>", true},
        {"an unbound element prefix", "<p:a/>", false},
        {"an unbound attribute prefix", "<a p:c=\"1\"/>", false},
        {"a prefix bound on a sibling only", "<r><a xmlns:p=\"urn:x\"/><p:b/></r>", false},
        {"the xmlns prefix on an element", "<xmlns:a xmlns:xmlns=\"urn:x\"/>", false},
        {"the xml prefix bound elsewhere", "<a xmlns:xml=\"urn:x\"/>", false},
        {"an attribute twice", "<a b=\"1\" b=\"2\"/>", false},
        {"an attribute twice under two prefixes", "<a xmlns:p=\"urn:x\" xmlns:q=\"urn:x\" p:b=\"1\" q:b=\"2\"/>", false},
        {"a declaration twice", "<a xmlns:p=\"urn:x\" xmlns:p=\"urn:y\"/>", false},
        {"two colons in a name", "<a:b:c xmlns:a=\"urn:x\"/>", false},
        {"a name starting with a colon", "<:a/>", false},
        {"a name ending with a colon", "<a: xmlns:a=\"urn:x\"/>", false},
        {"a local name starting with a digit", "<a:1b xmlns:a=\"urn:x\"/>", false},
        {"a namespace name that is no URI reference", "<a xmlns:p=\"a b\"/>", false},
        {"a reference in a namespace name", "<a xmlns:p=\"urn:&#120;\"/>", false},
        {"a namespace name with a port beyond any", "<a xmlns:p=\"http://h:2147483648/x\"/>", false},
        // Characters by reference.
        {"a reference with many leading zeros", "<a b=\"&#x00000000000041;\">&#00000000000065;</a>", true},
        {"a reference to a control character", "<a>&#1;</a>", false},
        {"a reference to a surrogate in a value", "<a b=\"&#xD800;\"/>", false},
        {"a reference to U+FFFE", "<a>&#xFFFE;</a>", false},
        {"a reference to a character beyond Unicode", "<a>&#x110000;</a>", false},
        {"a reference in the declaration", "<?xml version=\"1.0&#xD800;\"?><a/>", false},
        {"a control character in a value", "<a b=\"1\x01\"/>", false},
        {"a control character in a comment", "<a><!-- \x02 --></a>", false},
        {"bytes that are not UTF-8 in a name", "<a\xC3/>", false},
        {"characters beyond ASCII in text and values", "<a b=\"perch\xC3\xA9\">citt\xC3\xA0 &#x1F600;</a>", true},
        {"nested as deep as may be", nested(kMaxXmlDepth - 2), true},
        {"nested deeper", nested(kMaxXmlDepth), false},
        // Tags read again, with room after them as in a real part.
        {"text between known tags with a reference, blanks and more than ASCII",
         "<r><aa>x</aa><aa>&amp; \n\xC3\xA0</aa><aa>]]</aa></r>" + kRoom, true},
        {"a ]]> between known tags", "<r><aa>x</aa><aa>]]></aa></r>" + kRoom, false},
        {"known tags around a name longer than any known",
         "<r><aa/><" + std::string(300, 'n') + "><aa/></" + std::string(300, 'n') + "><aa/></r>" + kRoom, true},
        {"a known empty tag as deep as may be", "<r><e/>" + nested(kMaxXmlDepth - 3, "<e/>") + "</r>" + kRoom, true},
        {"a known empty tag deeper", "<r><e/>" + nested(kMaxXmlDepth - 2, "<e/>") + "</r>" + kRoom, false},
        // Tags alike but for their attribute values.
        {"tags alike but for their values",
         "<r xmlns:p=\"urn:p\"><a p:x=\"1\" y=\"2\"/><a p:x=\"33\" y=\"b c\"/><a p:x=\"\" y=\"/>=\"/><a p:x=\"4>\" y=\"5\"/></r>"
             + kRoom,
         true},
        {"alike but for a value with a reference, more than ASCII or apostrophes",
         "<r><a x=\"1\"/><a x=\"&amp;\"/><a x=\"\xC3\xA0\"/><a x='2'/><a x=\"3\"/></r>" + kRoom, true},
        {"alike but for a raw < in a value", "<r><a x=\"1\"/><a x=\"<\"/></r>" + kRoom, false},
        {"alike but for a control character in a value", "<r><a x=\"1\"/><a x=\"\x01\"/></r>" + kRoom, false},
        {"alike but for a reference to a character not allowed", "<r><a x=\"1\"/><a x=\"&#1;\"/></r>" + kRoom, false},
        {"alike, the one not empty closed", "<r><a x=\"1\"/><a x=\"2\"></a></r>" + kRoom, true},
        {"alike, the one not empty left open", "<r><a x=\"1\"/><a x=\"2\"></r>" + kRoom, false},
        {"alike, the prefix bound only where the first stood",
         "<r><s xmlns:p=\"urn:p\"><a p:x=\"1\"/></s><a p:x=\"2\"/></r>" + kRoom, false},
        {"alike with more attributes than are told apart",
         "<r><a a=\"1\" b=\"1\" c=\"1\" d=\"1\" e=\"1\" f=\"1\" g=\"1\" h=\"1\" i=\"1\"/>"
         "<a a=\"2\" b=\"2\" c=\"2\" d=\"2\" e=\"2\" f=\"2\" g=\"2\" h=\"2\" i=\"&#1;\"/></r>" + kRoom,
         false},
        {"alike as deep as may be", "<r><e x=\"0\"/>" + nested(kMaxXmlDepth - 3, "<e x=\"9\"/>") + "</r>" + kRoom, true},
        {"alike deeper", "<r><e x=\"0\"/>" + nested(kMaxXmlDepth - 2, "<e x=\"9\"/>") + "</r>" + kRoom, false},
        // Runs of tags met again: the first time round their tags are read anew, the second the
        // run is learnt, the third it is met again.
        {"a run met again where it would close another element than it did",
         "<r><x><b>0</b><cc/></x><y></y><x><b>1</b><cc/><cc/><cc/></x><y><b>2</b><cc/><cc/><cc/></x><y><b>3</b></y></r>"
             + kRoom,
         false},
        {"a run met again where it would close the element whose declarations are in scope",
         "<r><u xmlns:p=\"urn:p\"><u><t>0</t><cc/><p:q/></u><t></t><u><t>1</t><cc/><cc/></u><p:q/><t>2</t><cc/><cc/></u>"
         "<p:q/><t>3</t></r>"
             + kRoom,
         false},
        {"a run met again where the prefix it uses is no longer bound",
         "<r><s xmlns:p=\"urn:p\"><t>0</t><cc/><p:q/><t></t><t>1</t><cc/><cc/><p:q/><t>2</t></s><t>3</t><cc/><cc/><p:q/>"
         "<t>4</t></r>"
             + kRoom,
         false},
        {"a run met again as deep as may be",
         "<r><t>0</t><cc/><t></t><t>1</t><cc/><cc/><cc/><t><t>x</t></t>"
             + nested(kMaxXmlDepth - 4, "<t>1</t><cc/><cc/><cc/><t><t>x</t></t>") + "</r>" + kRoom,
         true},
        {"a run met again deeper",
         "<r><t>0</t><cc/><t></t><t>1</t><cc/><cc/><cc/><t><t>x</t></t>"
             + nested(kMaxXmlDepth - 3, "<t>1</t><cc/><cc/><cc/><t><t>x</t></t>") + "</r>" + kRoom,
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(isSoundAsStored(c.text), c.asStored);
        // Refused, it is only doubt.
        if (c.asStored)
            expectReadAlikeByEveryReader(c.text);
    }
}

// A start tag that stands again is taken as it was read before, but only under the same
// declarations; its end tag is still matched.
TEST(XmlMarkupTest, ATagReadBeforeIsReadAgainWhereItsDeclarationsDiffer)
{
    const struct {
        const char* what;
        std::string root;
        bool asStored;
    } cases[] = {
        {"the same tags, over and over",
         "<r xmlns:w=\"urn:w\"><w:p w:a=\"1\"><w:t>x</w:t></w:p><w:p w:a=\"1\"><w:t>y</w:t></w:p>"
         "<w:p w:a=\"22\"><w:t>z</w:t></w:p></r>",
         true},
        {"a tag met again out of the scope of its prefix",
         "<r><a xmlns:p=\"urn:x\"><p:bb/><p:bb/></a><p:bb/></r>", false},
        {"a tag met again where its two prefixes name one namespace",
         "<r xmlns:a=\"urn:1\" xmlns:b=\"urn:2\"><x a:k=\"1\" b:k=\"2\"/>"
         "<y xmlns:b=\"urn:1\"><x a:k=\"1\" b:k=\"2\"/></y></r>",
         false},
        {"a tag met again once a nested declaration is out of scope",
         "<r xmlns:a=\"urn:1\" xmlns:b=\"urn:2\"><x a:k=\"1\" b:k=\"2\"/><y xmlns:c=\"urn:3\">"
         "<x a:k=\"1\" b:k=\"2\"/></y><x a:k=\"1\" b:k=\"2\"/></r>",
         true},
        {"a known tag closed by another name", "<r><aa b=\"1\"></aa><aa b=\"1\"></ab></r>", false},
        {"a known empty tag, then the same name open", "<r><aa b=\"1\"/><aa b=\"1\">t</aa></r>", true},
        {"a > in a value of a tag like a known one", "<r><aa b=\"1\"/><aa b=\">\"/></r>", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string text = c.root + kRoom;
        EXPECT_EQ(isSoundAsStored(text), c.asStored);
        if (c.asStored) {
            expectReadAlikeByEveryReader(text);
        } else {
            // What the reading doubts the open judges by the text, the parse and the tree.
            pugi::xml_document doc;
            const bool parsed = doc.load_buffer(text.data(), text.size(), wordauto::detail::kParseOptions);
            EXPECT_TRUE(wordauto::detail::xmlTextFault(text) || !parsed || wordauto::detail::xmlTreeFault(doc))
                << "a sound document refused";
        }
    }
}

// Declarations hide those of their prefix made further out and give them back when their
// element is done with, however many prefixes are declared.
TEST(XmlMarkupTest, APrefixStandsForItsInnermostDeclarationInScope)
{
    wordauto::detail::NamespaceScope scope;
    std::vector<std::string> many;
    for (int i = 0; i < 5000; ++i)
        many.push_back("p" + std::to_string(i));
    for (const auto& prefix : many)
        scope.declare(prefix, "urn:radice", 1);
    scope.declare("p7", "urn:dentro", 2);
    scope.declare("", "urn:predefinito", 2);
    EXPECT_EQ(scope.uriOf("p7"), "urn:dentro");
    EXPECT_EQ(scope.uriOf(""), "urn:predefinito");
    EXPECT_EQ(scope.uriOf("p4999"), "urn:radice");
    EXPECT_EQ(scope.uriOf("xml"), wordauto::detail::kXmlUri);
    EXPECT_EQ(scope.uriOf("q"), std::nullopt);
    EXPECT_EQ(scope.uriOf("p7"), "urn:dentro"); // the answer kept from before
    EXPECT_FALSE(scope.leave(2));
    EXPECT_TRUE(scope.leave(1));
    EXPECT_EQ(scope.uriOf("p7"), "urn:radice");
    EXPECT_EQ(scope.uriOf(""), std::nullopt);
    EXPECT_TRUE(scope.leave(0));
    EXPECT_EQ(scope.uriOf("p7"), std::nullopt);
    EXPECT_EQ(scope.uriOf("p0"), std::nullopt);
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
            EXPECT_TRUE(isSoundAsStored(package.part(name)));
            ++parts;
        }
    }
    EXPECT_GT(parts, 50);
}

} // namespace
