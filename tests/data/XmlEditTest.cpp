// Editing the node table and writing it back out.

#include "data/XmlDocument.h"

#include <gtest/gtest.h>

#include <memory>

namespace quorvo::data {
namespace {

const Bytes songs = "<r><song_list><song><title>A</title></song><song><title>B</title></song></song_list></r>";

TEST(XmlCheckNode, RootInvalidAndOrdinaryNodes)
{
    XmlDocument document;
    ASSERT_TRUE(document.load(songs));
    EXPECT_EQ(document.checkNode(6), 0);
    EXPECT_EQ(document.checkNode(1), 1);
    EXPECT_EQ(document.checkNode(0), -1);
    EXPECT_EQ(document.checkNode(7), -1);
    EXPECT_EQ(document.checkNode(-3), -1);
}

TEST(XmlEdit, RemovedLeafIndexIsReusedByTheNextAdd)
{
    XmlDocument document;
    ASSERT_TRUE(document.load(songs));
    EXPECT_EQ(document.removeNode(3), 0);
    EXPECT_EQ(document.checkNode(3), -1);
    EXPECT_EQ(document.freeList(), (std::vector<int> {3}));
    EXPECT_EQ(document.addNode(2), 3);
    EXPECT_EQ(document.checkNode(3), 1);
    EXPECT_EQ(document.getNode(3)->parent, 2);
    EXPECT_EQ(document.getNode(3)->name, "");
    EXPECT_EQ(document.getNode(2)->children, (std::vector<int> {1, 3}));
    EXPECT_TRUE(document.freeList().empty());
}

TEST(XmlEdit, RemovingASubtreeFreesItsNodesParentFirst)
{
    XmlDocument document;
    ASSERT_TRUE(document.load(songs));
    EXPECT_EQ(document.removeNode(5), 2);
    EXPECT_EQ(document.freeList(), (std::vector<int> {5, 2, 1, 4, 3}));
    EXPECT_EQ(document.getNode(0)->children.size(), 0U);
    EXPECT_EQ(document.nodeTableSize(), 6);
    EXPECT_EQ(document.toText(), "<?xml version=\"1.0\" encoding=\"gb2312\" ?><r></r>");
}

TEST(XmlEdit, DocumentElementAndInvalidNodesCannotBeRemoved)
{
    XmlDocument document;
    ASSERT_TRUE(document.load(songs));
    EXPECT_EQ(document.removeNode(6), 0);
    EXPECT_EQ(document.removeNode(0), -1);
    EXPECT_EQ(document.removeNode(42), -1);
    EXPECT_EQ(document.checkNode(6), 0);
}

TEST(XmlEdit, NothingCanBeAddedToAnEmptyDocument)
{
    XmlDocument document;
    EXPECT_EQ(document.addNode(0), -1);
    EXPECT_EQ(document.nodeTableSize(), 0);
}

TEST(XmlEdit, AddSetAndSerialise)
{
    XmlDocument document;
    ASSERT_TRUE(document.load("<r/>"));
    const int child = document.addNode(0);
    EXPECT_EQ(child, 2);
    document.setNode(child, Text("item"), Text("a<b"), std::vector<XmlAttribute> {{"id", "\"1\""}, {"k", "v"}});
    document.setNode(0, std::nullopt, Text("x & y"));
    EXPECT_EQ(document.toText(),
              "<?xml version=\"1.0\" encoding=\"gb2312\" ?><r>x & y<item id=\"1\" k=v><![CDATA[a<b]]></item></r>");
}

TEST(XmlEdit, SetNodeOnInvalidNodeDoesNothing)
{
    XmlDocument document;
    ASSERT_TRUE(document.load("<r/>"));
    document.setNode(9, Text("x"));
    EXPECT_EQ(document.getName(0), "r");
}

TEST(XmlSerialise, SubtreeAppendsWithoutDeclaration)
{
    XmlDocument document;
    ASSERT_TRUE(document.load(songs));
    Text out = "prefix:";
    document.serializeNode(2, out);
    EXPECT_EQ(out, "prefix:<song><title>A</title></song>");
}

TEST(XmlSerialise, RoundTripKeepsAttributesAsWritten)
{
    XmlDocument document;
    ASSERT_TRUE(document.load("<?xml version=\"1.0\" encoding=\"gb2312\" ?><a x=\"1\" y='2'><b>t</b></a>"));
    EXPECT_EQ(document.toText(), "<?xml version=\"1.0\" encoding=\"gb2312\" ?><a x=\"1\" y='2'><b>t</b></a>");
}

TEST(XmlSerialise, EmptyDocumentWritesNothing)
{
    XmlDocument document;
    EXPECT_EQ(document.toText(), "");
    Text out = "kept";
    document.serializeNode(0, out);
    EXPECT_EQ(out, "kept");
}

TEST(XmlTables, ExportImportRoundTrip)
{
    XmlDocument document;
    ASSERT_TRUE(document.load(songs));
    document.removeNode(2);
    const XmlTables tables = document.exportTables();
    XmlDocument other;
    other.importTables(tables);
    EXPECT_EQ(other.toText(), document.toText());
    EXPECT_EQ(other.checkNode(2), -1);
    EXPECT_EQ(other.addNode(0), 2);
}

TEST(XmlTables, ImportedCycleDoesNotHangSerialisationOrRelease)
{
    XmlTables tables;
    tables.nodes.resize(2);
    tables.nodes[0] = {"a", "", {}, {2}, 2, 1};
    tables.nodes[1] = {"b", "", {}, {1, 2, 99}, 0, 2};
    tables.rootIndex = 2;
    XmlDocument document;
    document.importTables(tables);
    EXPECT_EQ(document.toText(), "<?xml version=\"1.0\" encoding=\"gb2312\" ?><b><a></a></b>");
    EXPECT_EQ(document.releaseNode(2), 3);
    EXPECT_EQ(document.freeList().size(), 2U);
}

TEST(XmlClone, CopyIsIndependent)
{
    XmlDocument document;
    ASSERT_TRUE(document.load(songs));
    XmlDocument copy = document.clone();
    copy.setNode(1, Text("changed"));
    EXPECT_EQ(document.getName(1), "title");
    EXPECT_EQ(copy.getName(1), "changed");
    document.clear();
    EXPECT_EQ(copy.getSourceData(), songs);
}

// Values are read where the load left them: a copy (or a moved document)
// reads its own text and sections, whatever becomes of the original.
TEST(XmlClone, ACopyReadsItsOwnTextAndSections)
{
    const Bytes reply = "<r><a>a value longer than a short string</a><b><![CDATA[<i>section</i> text]]></b></r>";
    auto document = std::make_unique<XmlDocument>();
    ASSERT_TRUE(document->load(reply));
    const XmlDocument copy = document->clone();
    ASSERT_TRUE(document->load(Bytes("<x><y>" + std::string(200, 'z') + "</y></x>")));
    document.reset();
    EXPECT_EQ(copy.valueOf(copy.indexByPath("<#0/a/")), "a value longer than a short string");
    EXPECT_EQ(copy.valueOf(copy.indexByPath("<#0/b/")), "<i>section</i> text");
    XmlDocument moved = copy.clone();
    const XmlDocument target = std::move(moved);
    EXPECT_EQ(target.valueOf(target.indexByPath("<#0/b/")), "<i>section</i> text");
}

}  // namespace
}  // namespace quorvo::data
