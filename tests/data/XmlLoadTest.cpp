// Loading: numbering, values, attributes, CDATA, encodings and the ways a
// load fails.

#include "data/XmlDocument.h"

#include "runtime/Encoding.h"

#include <gtest/gtest.h>

namespace quorvo::data {
namespace {

const Bytes songs = "<r><song_list><song><title>A</title></song><song><title>B</title></song></song_list></r>";

TEST(XmlNumbering, NodesAreNumberedAsTheirElementsClose)
{
    XmlDocument document;
    ASSERT_TRUE(document.load(songs));
    EXPECT_EQ(document.rootIndex(), 6);
    EXPECT_EQ(document.nodeTableSize(), 6);
    const std::vector<std::pair<int, std::string>> expected
        = {{1, "title"}, {2, "song"}, {3, "title"}, {4, "song"}, {5, "song_list"}, {6, "r"}};
    for (const auto& [index, name] : expected) {
        EXPECT_EQ(document.getName(index), name) << index;
    }
    EXPECT_EQ(document.getNode(1)->value, "A");
    EXPECT_EQ(document.getNode(3)->value, "B");
}

TEST(XmlNumbering, ParentsAndChildrenAreLinked)
{
    XmlDocument document;
    ASSERT_TRUE(document.load(songs));
    EXPECT_EQ(document.getNode(5)->children, (std::vector<int> {2, 4}));
    EXPECT_EQ(document.getNode(1)->parent, 2);
    EXPECT_EQ(document.getNode(5)->parent, 6);
    EXPECT_EQ(document.getNode(6)->parent, 0);
    EXPECT_EQ(document.getNode(0)->index, 6);
}

TEST(XmlNumbering, SelfClosingElementsCountWhereTheyStand)
{
    XmlDocument document;
    ASSERT_TRUE(document.load("<a><b/><c></c><d x=\"1\"/></a>"));
    EXPECT_EQ(document.getName(1), "b");
    EXPECT_EQ(document.getName(2), "c");
    EXPECT_EQ(document.getName(3), "d");
    EXPECT_EQ(document.getName(4), "a");
    EXPECT_EQ(document.getNode(3)->attributes.at(0).value, "\"1\"");
    EXPECT_EQ(document.getNode(1)->parent, 4);
}

TEST(XmlValues, TextIsKeptUntrimmedButBlankTextBecomesEmpty)
{
    XmlDocument document;
    ASSERT_TRUE(document.load("<a> hello </a>"));
    EXPECT_EQ(document.getNode(0)->value, " hello ");
    ASSERT_TRUE(document.load("<a>\r\n  <b/>\r\n</a>"));
    EXPECT_EQ(document.getNode(0)->value, "");
}

TEST(XmlValues, ValueEndsAtTheFirstChild)
{
    XmlDocument document;
    ASSERT_TRUE(document.load("<a>head<b>x</b>  </a>"));
    EXPECT_EQ(document.getNode(0)->value, "head");
}

TEST(XmlValues, EntitiesAreNotDecoded)
{
    XmlDocument document;
    ASSERT_TRUE(document.load("<a>1 &amp; 2</a>"));
    EXPECT_EQ(document.getNode(0)->value, "1 &amp; 2");
}

TEST(XmlValues, MixedContentAfterAnEndTagFailsTheLoad)
{
    XmlDocument document;
    EXPECT_FALSE(document.load("<a><b>x</b>tail</a>"));
    EXPECT_TRUE(document.load("<a><b>x</b>  \r\n</a>"));
}

TEST(XmlAttributes, QuotedSpacesStayInOneAttributeWithItsQuotes)
{
    for (const bool quoteAware : {false, true}) {
        XmlDocument document;
        ASSERT_TRUE(document.load("<a title=\"x y z\" n=\"1\">v</a>", false, quoteAware));
        const auto node = document.getNode(0);
        ASSERT_EQ(node->attributes.size(), 2U);
        EXPECT_EQ(node->attributes[0].name, "title");
        EXPECT_EQ(node->attributes[0].value, "\"x y z\"");
        EXPECT_EQ(node->attributes[1].value, "\"1\"");
    }
}

TEST(XmlAttributes, EverythingAfterTheFirstEqualsSignIsTheValue)
{
    XmlDocument document;
    ASSERT_TRUE(document.load("<a k=\"a=b\" q='s'/>"));
    EXPECT_EQ(document.getNode(0)->attributes[0].value, "\"a=b\"");
    EXPECT_EQ(document.getNode(0)->attributes[1].value, "'s'");
}

TEST(XmlAttributes, TokenWithoutEqualsSignFailsTheLoad)
{
    XmlDocument document;
    EXPECT_FALSE(document.load("<a checked>x</a>"));
}

TEST(XmlAttributes, SlashOfSelfClosingTagBelongsToNeitherNameNorValue)
{
    XmlDocument document;
    ASSERT_TRUE(document.load("<r><br/><img src=\"p\"/><hr /></r>"));
    EXPECT_EQ(document.getName(1), "br");
    EXPECT_EQ(document.getNode(2)->attributes.at(0).value, "\"p\"");
    EXPECT_EQ(document.getName(3), "hr");
}

TEST(XmlAttributes, StartTagMayBreakAcrossLines)
{
    XmlDocument document;
    ASSERT_TRUE(document.load("<song\r\n  id=\"7\"\r\n  rate=\"flac\">x</song>"));
    EXPECT_EQ(document.getName(0), "song");
    ASSERT_EQ(document.getNode(0)->attributes.size(), 2U);
    EXPECT_EQ(document.getNode(0)->attributes[1].value, "\"flac\"");
}

TEST(XmlCdata, SectionIsResolvedAndWrittenBackAsCdata)
{
    XmlDocument document;
    ASSERT_TRUE(document.load("<a><![CDATA[x<y]]></a>"));
    EXPECT_EQ(document.getNode(0)->value, "x<y");
    EXPECT_EQ(document.cdataSections().size(), 1U);
    EXPECT_EQ(document.cdataMarker().size(), 6U);
    EXPECT_EQ(document.toText(), "<?xml version=\"1.0\" encoding=\"gb2312\" ?><a><![CDATA[x<y]]></a>");
}

TEST(XmlCdata, TextAroundThePlaceholderIsDropped)
{
    XmlDocument document;
    ASSERT_TRUE(document.load("<a>pre<![CDATA[mid]]>post</a><!-- -->"));
    EXPECT_EQ(document.getNode(0)->value, "mid");
}

TEST(XmlCdata, SeveralSectionsKeepTheirOrder)
{
    XmlDocument document;
    ASSERT_TRUE(document.load("<r><a><![CDATA[1]]></a><b><![CDATA[<2>]]></b></r>"));
    EXPECT_EQ(document.getNode(1)->value, "1");
    EXPECT_EQ(document.getNode(2)->value, "<2>");
}

// Sections are matched to values in document order; one that stands in a tag
// instead of a value must not shift the values after it.
TEST(XmlCdata, SectionInsideATagLeavesLaterValuesTheirOwn)
{
    XmlDocument document;
    ASSERT_TRUE(document.load("<r><a k=<![CDATA[x]]>>1</a><b><![CDATA[y]]></b><c>2</c></r>"));
    EXPECT_EQ(document.getNode(1)->value, "1");
    EXPECT_EQ(document.getNode(2)->value, "y");
    EXPECT_EQ(document.getNode(3)->value, "2");
    EXPECT_EQ(document.getNode(1)->attributes.at(0).value, document.cdataMarker() + ",1.");
}

TEST(XmlCdata, UnterminatedSectionEndsExtractionWithoutLooping)
{
    XmlDocument document;
    Bytes data = "<a><![CDATA[x]]></a><b><![CDATA[never closed";
    EXPECT_EQ(document.extractCdata(data), 1);
    EXPECT_NE(data.find("<![CDATA[never closed"), Bytes::npos);
    ASSERT_TRUE(document.load("<a><![CDATA[never closed</a>"));
    EXPECT_EQ(document.getNode(0)->value, "");
    EXPECT_TRUE(document.load("<a></a><![CDATA[never closed"));
}

TEST(XmlCdata, MarkerNeverOccursInTheData)
{
    const Bytes data = "@ABCDE @QWERT";
    for (int i = 0; i < 50; ++i) {
        const Bytes marker = XmlDocument::makeMarker(data);
        ASSERT_EQ(marker.size(), 6U);
        EXPECT_EQ(data.find(marker), Bytes::npos);
        EXPECT_EQ(marker[0], '@');
    }
}

TEST(XmlCdata, NoFreeMarkerGivesEmptyMarker)
{
    // Every one-letter candidate occurs, so all 100 attempts fail.
    std::string alphabet;
    for (char c = 'A'; c <= 'Z'; ++c) {
        alphabet += std::string("@") + c;
    }
    EXPECT_EQ(XmlDocument::makeMarker(alphabet, 1), "");
}

TEST(XmlEncoding, Utf8DeclarationConvertsToProgramText)
{
    XmlDocument document;
    const Bytes utf8 = "<?xml version=\"1.0\" encoding=\"utf-8\"?><t>\xE4\xBD\xA0\xE5\xA5\xBD</t>";
    ASSERT_TRUE(document.load(utf8));
    EXPECT_EQ(document.getNode(0)->value, "\xC4\xE3\xBA\xC3");
    EXPECT_EQ(document.getSourceData(), utf8);
}

TEST(XmlEncoding, Gb2312DeclarationIsKept)
{
    XmlDocument document;
    ASSERT_TRUE(document.load("<?xml version=\"1.0\" encoding = \"GB2312\" ?><t>\xC4\xE3</t>", true));
    EXPECT_EQ(document.getNode(0)->value, "\xC4\xE3");
}

TEST(XmlEncoding, UndeclaredConvertsOnlyWhenAsked)
{
    const Bytes utf8 = "<t>\xE4\xBD\xA0</t>";
    XmlDocument document;
    ASSERT_TRUE(document.load(utf8));
    EXPECT_EQ(document.getNode(0)->value, "\xE4\xBD\xA0");
    ASSERT_TRUE(document.load(utf8, true));
    EXPECT_EQ(document.getNode(0)->value, "\xC4\xE3");
}

TEST(XmlEncoding, ConvertingStopsAtNulByte)
{
    Bytes data = "<?xml encoding=\"utf-8\"?><t>a</t>";
    data += '\0';
    data += "<u>";
    XmlDocument document;
    EXPECT_TRUE(document.convertEncoding(data, false));
    EXPECT_EQ(data, "<?xml encoding=\"utf-8\"?><t>a</t>");
}

TEST(XmlEncoding, ByteOrderMarkBeforeTheDeclarationIsHarmless)
{
    XmlDocument document;
    EXPECT_TRUE(document.load("\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?><t>x</t>"));
    EXPECT_EQ(document.getName(0), "t");
}

TEST(XmlEncoding, InvalidUtf8DoesNotBreakTheLoad)
{
    XmlDocument document;
    ASSERT_TRUE(document.load("<?xml encoding=\"utf-8\"?><t>\xFF\xC0\x80</t>"));
    EXPECT_FALSE(document.getNode(0)->value.empty());
}

TEST(XmlMalformed, EndTagWhileAnotherElementIsOpenFails)
{
    XmlDocument document;
    EXPECT_FALSE(document.load("<a><b></a>"));
    EXPECT_EQ(document.rootIndex(), 0);
    EXPECT_EQ(document.getSourceData(), "");
}

TEST(XmlMalformed, UnclosedElementsLoadAsAnEmptyDocument)
{
    XmlDocument document;
    EXPECT_TRUE(document.load("<a><b>"));
    EXPECT_EQ(document.rootIndex(), 0);
    EXPECT_EQ(document.getName(0), "");
    EXPECT_FALSE(document.getNodeByPath("<#0").has_value());
}

TEST(XmlMalformed, EachFaultFailsTheWholeLoad)
{
    for (const char* text : {"<a", "<a></a", "</a>", "<a></a/>", "<a><b/></c></a>", "junk<a/>"}) {
        XmlDocument document;
        EXPECT_FALSE(document.load(text)) << text;
        EXPECT_EQ(document.nodeTableSize(), 0) << text;
    }
}

TEST(XmlMalformed, FailedLoadReplacesTheEarlierDocument)
{
    XmlDocument document;
    ASSERT_TRUE(document.load(songs));
    EXPECT_FALSE(document.load("<a><b></a>"));
    EXPECT_EQ(document.toText(), "");
    EXPECT_FALSE(document.getNodeByPath("<#0/song_list").has_value());
}

TEST(XmlMalformed, TextWithoutElementsIsAnEmptyDocument)
{
    XmlDocument document;
    EXPECT_TRUE(document.load(""));
    EXPECT_TRUE(document.load("  \r\n"));
    EXPECT_TRUE(document.load("<?xml version=\"1.0\"?><!-- c -->"));
    EXPECT_EQ(document.rootIndex(), 0);
}

TEST(XmlQuoteAware, LessThanInsideQuotesDoesNotSplit)
{
    XmlDocument document;
    EXPECT_FALSE(document.load("<a t=\"1<2\">x</a>"));
    ASSERT_TRUE(document.load("<a t=\"1<2\">x</a>", false, true));
    EXPECT_EQ(document.getNode(0)->attributes.at(0).value, "\"1<2\"");
}

TEST(XmlSplit, SplitOutsideQuotesHonoursQuotes)
{
    const auto pieces = XmlDocument::splitOutsideQuotes("a,\"b,c\",d", ",");
    ASSERT_EQ(pieces.size(), 3U);
    EXPECT_EQ(pieces[1], "\"b,c\"");
}

TEST(XmlSplit, ClosingTagNameDropsBlanksSlashesAndBrackets)
{
    EXPECT_EQ(XmlDocument::closingTagName("/ song_list >\r\n"), "song_list");
    EXPECT_EQ(XmlDocument::closingTagName("/a>tail"), "atail");
    EXPECT_EQ(XmlDocument::stripBlanks(" a\tb\r\nc "), "abc");
}

}  // namespace
}  // namespace quorvo::data
