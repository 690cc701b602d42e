// The strict check of parts about to be written: what a conforming reader refuses is
// refused, with its case and offset, and what real producers write passes.
#include "RovuVuz/xml/XMLCheck.h"

#include <gtest/gtest.h>

#include <string>

#include "RovuVuz/package/ZipArchive.h"
#include "support/TestSupport.h"

namespace rovuvuz {
namespace {

void check(std::string_view xml) {
    XMLCheck::wellFormed(share(toBytes(xml)));
}

TEST(XMLCheck, WhatAStrictReaderTakesPasses) {
    for (const std::string_view xml : {
             "<a/>",
             "\xEF\xBB\xBF<?xml version=\"1.0\"?>\n<!-- c --><!DOCTYPE a><a/>\n<?pi x?>\n",
             "<w:a xmlns:w=\"urn:w\"><w:b w:c='1' xml:space=\"preserve\">t &amp; &#x41;&#65;&lt;</w:b></w:a>",
             "<a xmlns=\"urn:d\"><b xmlns:p=\"urn:p\"><p:c/></b><![CDATA[ ]]> ]]&gt; <!----></a>",
             "<a b = \"1\"\tc=\"x>y\" ></a >",
             "<a>\xE2\x82\xAC \xF0\x9F\x98\x80 \xEF\xBF\xBD\t\r\n</a>",
         })
        EXPECT_NO_THROW(check(xml)) << xml;
}

TEST(XMLCheck, EveryFaultAForgivingScanFindsNoneOfIsNamedWithItsOffset) {
    struct Case {
        const char* name;
        std::string xml;
        XMLErrorCode code;
        size_t offset;
    };
    const Case cases[] = {
        {"vertical tab in text", "<a>A\vB</a>", XMLErrorCode::invalidCharacter, 4},
        {"NUL in text", std::string("<a>A\0B</a>", 10), XMLErrorCode::invalidCharacter, 4},
        {"form feed in an attribute", "<a b=\"\f\"/>", XMLErrorCode::invalidCharacter, 6},
        {"U+FFFE", "<a>\xEF\xBF\xBE</a>", XMLErrorCode::invalidCharacter, 3},
        {"U+FFFF", "<a>\xEF\xBF\xBF</a>", XMLErrorCode::invalidCharacter, 3},
        {"invalid UTF-8", "<a>\xFF</a>", XMLErrorCode::invalidCharacter, 3},
        {"encoded surrogate", "<a>\xED\xA0\x80</a>", XMLErrorCode::invalidCharacter, 3},
        {"undefined entity", "<a>&nbsp;</a>", XMLErrorCode::badReference, 3},
        {"bare ampersand", "<a>A & B</a>", XMLErrorCode::badReference, 5},
        {"reference to a control", "<a>&#11;</a>", XMLErrorCode::badReference, 3},
        {"reference to U+FFFF in a value", "<a b=\"&#xFFFF;\"/>", XMLErrorCode::badReference, 6},
        {"repeated attribute", "<a b=\"1\" b=\"2\"/>", XMLErrorCode::badAttribute, 9},
        {"attribute without =", "<a b \"1\"/>", XMLErrorCode::badAttribute, 3},
        {"attributes run together", "<a b=\"1\"c=\"2\"/>", XMLErrorCode::badAttribute, 3},
        {"< in a value", "<a b=\"<\"/>", XMLErrorCode::badAttribute, 6},
        {"unbound element prefix", "<w:a/>", XMLErrorCode::unboundPrefix, 1},
        {"unbound attribute prefix", "<a xmlns:w=\"u\"><b w14:paraId=\"1\"/></a>", XMLErrorCode::unboundPrefix, 18},
        {"prefix out of scope", "<a><b xmlns:p=\"u\"/><p:c/></a>", XMLErrorCode::unboundPrefix, 20},
        {"prefix declared empty", "<a xmlns:p=\"\"/>", XMLErrorCode::unboundPrefix, 3},
        {"text after the root", "<a/>junk", XMLErrorCode::notWellFormed, 4},
        {"text before the root", "x<a/>", XMLErrorCode::notWellFormed, 0},
        {"late XML declaration", "\n<?xml version=\"1.0\"?><a/>", XMLErrorCode::notWellFormed, 1},
        {"double dash in a comment", "<a><!-- a -- b --></a>", XMLErrorCode::notWellFormed, 3},
        {"]]> in text", "<a>x]]>y</a>", XMLErrorCode::notWellFormed, 4},
        {"name starting with a digit", "<1a/>", XMLErrorCode::notWellFormed, 1},
        {"junk in an end tag", "<a></a b>", XMLErrorCode::notWellFormed, 7},
        {"doctype inside the root", "<a><!DOCTYPE a></a>", XMLErrorCode::notWellFormed, 3},
        {"what the scanner already refuses", "<a><b></a>", XMLErrorCode::mismatchedTag, 6},
    };
    for (const Case& c : cases) {
        try {
            check(c.xml);
            ADD_FAILURE() << c.name << ": accepted";
        } catch (const XMLError& error) {
            EXPECT_EQ(error.code(), c.code) << c.name << ": " << error.what();
            EXPECT_EQ(error.offset(), c.offset) << c.name << ": " << error.what();
        }
    }
}

// Real documents from other producers are what strict readers take; a check that refused
// them would refuse every save of them.
TEST(XMLCheck, EveryXMLPartOfTheCorpusPasses) {
    size_t checked = 0;
    for (const auto& path : rovuvuz::testing::corpusFiles()) {
        const ZipArchive archive(share(rovuvuz::testing::readFile(path)));
        for (const auto& entry : archive.entries()) {
            if (!entry.name.ends_with(".xml") && !entry.name.ends_with(".rels")) continue;
            try {
                check(asChars(archive.contents(entry.name)));
                ++checked;
            } catch (const XMLError& error) {
                ADD_FAILURE() << path.filename() << " " << entry.name << ": " << error.what();
            } catch (const ZipError&) {
            }
        }
    }
    if (!rovuvuz::testing::corpusFiles().empty()) {
        EXPECT_GT(checked, 100u);
    }
}

}  // namespace
}  // namespace rovuvuz
