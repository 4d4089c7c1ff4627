#include "task/XMLParser.h"
#include "support/TestEnvironment.h"

#include <algorithm>
#include <gtest/gtest.h>

using namespace kelvo;

namespace {

TXMLParser Parse(const std::string& text) {
    TXMLParser parser;
    parser.LoadFromString(text);
    return parser;
}

} // namespace

TEST(XMLParserTest, LoadsNamesValuesAttributesAndChildren) {
    TXMLParser parser =
        Parse("<KBT Version=\"3.1\"><General><Name>Docs</Name>"
              "<Mixed>text<Inner a='1' A='2'/>more</Mixed></General></KBT><Second/>");
    ASSERT_EQ(parser.Nodes.size(), 2u);
    TXMLNode* general = parser.FindNode("", {"kbt", "GENERAL"});
    ASSERT_TRUE(general);
    EXPECT_EQ(general->Parent, parser.Nodes[0].get());
    EXPECT_EQ(TXMLParser::ChildAt(general, 0)->Value.ToString(), "Docs");
    EXPECT_EQ(TXMLParser::ChildAt(general, 2), nullptr);
    TXMLNode* mixed = TXMLParser::ChildAt(general, 1);
    EXPECT_EQ(mixed->Value.ToString(), "more"); // the last text child wins
    ASSERT_EQ(mixed->Children.size(), 1u);
    TXMLNode* inner = mixed->Children[0].get();
    EXPECT_TRUE(TXMLParser::HasAttribute(inner, "A"));
    EXPECT_EQ(TXMLParser::GetAttribute(inner, "A").ToString(), "1"); // first, ignoring case
    EXPECT_EQ(TXMLParser::GetAttribute(inner, "missing"), TVariant(false));
    EXPECT_EQ(TXMLParser::GetAttribute(parser.Nodes[0].get(), "VERSION").ToString(), "3.1");
}

TEST(XMLParserTest, FindNodeFollowsThePathThenTheChildName) {
    TXMLParser parser = Parse("<a><b><c>1</c><d>2</d></b></a>");
    EXPECT_EQ(parser.FindNode("D", {"A", "b"})->Value.ToString(), "2");
    EXPECT_EQ(parser.FindNode("x", {"a", "b"})->Name, "b"); // no such child: the node itself
    EXPECT_EQ(parser.FindNode("", {"a", "x"}), nullptr);
    EXPECT_EQ(parser.FindNode("", {}), nullptr);
}

TEST(XMLParserTest, SavesFormattedWithCrLfAndNoDeclaration) {
    TXMLParser parser;
    auto root = std::make_shared<TXMLNode>("KBT");
    TXMLParser::AddAttribute(root.get(), "Version", "3.1");
    TXMLParser::AddAttribute(root.get(), "Count", 7);
    TXMLNode* general = TXMLParser::AddChild(root.get(), "General", "");
    TXMLParser::AddChild(general, "Name", "A & B <c>");
    TXMLParser::AddChild(general, "Empty", "");
    auto group = std::make_shared<TXMLNode>(""); // nameless: its children stand in its place
    TXMLParser::AddChild(group.get(), "Grouped", "g");
    root->Children.push_back(group);
    parser.Nodes.push_back(root);
    const std::string text = parser.SaveToString();
    EXPECT_EQ(text.find("<?xml"), std::string::npos);
    EXPECT_NE(text.find("<KBT Version=\"3.1\" Count=\"7\">\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("<Name>A &amp; B &lt;c&gt;</Name>\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("<Empty></Empty>"), std::string::npos) << text;
    for (size_t i = text.find('\n'); i != std::string::npos; i = text.find('\n', i + 1))
        ASSERT_EQ(text[i - 1], '\r');

    TXMLParser again = Parse(text);
    EXPECT_EQ(again.FindNode("Name", {"KBT", "General"})->Value.ToString(), "A & B <c>");
    EXPECT_EQ(again.FindNode("Empty", {"KBT", "General"})->Value.ToString(), "");
    EXPECT_EQ(again.FindNode("Grouped", {"KBT"})->Value.ToString(), "g");
    EXPECT_EQ(again.FindNode("", {"KBT", "Grouped"})->Parent, again.Nodes[0].get());
}

TEST(XMLParserTest, KeepsLineBreaksAndNonAsciiTextThroughASave) {
    TXMLParser parser;
    auto root = std::make_shared<TXMLNode>("r", "line one\r\nline two\nÄnderung €");
    TXMLParser::AddAttribute(root.get(), "path", "C:\\Dokumente\\Übersicht \"neu\"\r\n2");
    TXMLParser::AddChild(root.get(), "blanks", "  ");
    parser.Nodes.push_back(root);
    TXMLParser again = Parse(parser.SaveToString());
    ASSERT_EQ(again.Nodes.size(), 1u);
    EXPECT_EQ(again.Nodes[0]->Value.ToString(), "line one\r\nline two\nÄnderung €");
    EXPECT_EQ(TXMLParser::GetAttribute(again.Nodes[0].get(), "path").ToString(),
              "C:\\Dokumente\\Übersicht \"neu\"\r\n2");
    EXPECT_EQ(again.FindNode("blanks", {"r"})->Value.ToString(), "  ");
}

TEST(XMLParserTest, ReadsEveryEncodingOfOlderFiles) {
    const std::pair<std::string, const char*> cases[] = {
        {"<a>caf\xC3\xA9</a>", "utf-8 without declaration"},
        {"\xEF\xBB\xBF<a>caf\xC3\xA9</a>", "utf-8 with byte-order mark"},
        {"<a>caf\xE9</a>", "undeclared ISO-8859-1"},
        {"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a>caf\xE9</a>", "declared ISO-8859-1"},
        {"<?xml version=\"1.0\" encoding=\"windows-1252\"?><a>caf\xE9</a>", "declared cp1252"},
        {std::string("\xFF\xFE<\0a\0>\0c\0a\0f\0\xE9\0<\0/\0a\0>\0", 24), "utf-16 little-endian"},
        {std::string("\xFE\xFF\0<\0a\0>\0c\0a\0f\0\xE9\0<\0/\0a\0>", 24), "utf-16 big-endian"},
    };
    for (const auto& [data, what] : cases) {
        TXMLParser parser = Parse(data);
        ASSERT_EQ(parser.Nodes.size(), 1u) << what;
        EXPECT_EQ(parser.Nodes[0]->Value.ToString(), "caf\xC3\xA9") << what;
    }
}

TEST(XMLParserTest, DamagedOrMissingFilesGiveWhatCouldBeRead) {
    TXMLParser parser;
    parser.FileName = test::TestRoot() + "/no-such-file.xml";
    parser.Nodes.push_back(std::make_shared<TXMLNode>("old"));
    parser.LoadFromFile();
    EXPECT_TRUE(parser.Nodes.empty());
    EXPECT_TRUE(Parse("").Nodes.empty());
    EXPECT_TRUE(Parse("not xml at all").Nodes.empty());
    TXMLParser blanks = Parse("<a><![CDATA[  ]]><b/></a>");
    EXPECT_EQ(blanks.Nodes[0]->Value.ToString(), ""); // blanks beside elements are no value
    TXMLParser partial = Parse("<a><b>1</b><c>2</c><d>");
    ASSERT_EQ(partial.Nodes.size(), 1u);
    EXPECT_EQ(partial.FindNode("c", {"a"})->Value.ToString(), "2");
}

TEST(XMLParserTest, SaveReplacesTheFileWholeAndASubtreeOutlivesTheDocument) {
    const std::string path = test::MakeTempFolder("xml") + "/task.kbt";
    TXMLNodePtr kept;
    {
        TXMLParser parser;
        parser.FileName = path;
        parser.Nodes.push_back(std::make_shared<TXMLNode>("KBT"));
        TXMLParser::AddChild(TXMLParser::AddChild(parser.Nodes[0].get(), "FTP_SOURCE", ""), "f",
                             "x");
        parser.SaveToFile();
        parser.LoadFromFile();
        kept = parser.Nodes[0]->Children[0];
    }
    EXPECT_EQ(kept->Parent, nullptr);
    EXPECT_EQ(kept->Children[0]->Value.ToString(), "x");
    EXPECT_EQ(test::ListFolder(path.substr(0, path.rfind('/'))),
              std::vector<std::string>{"task.kbt"}); // no temporary file left
    TXMLParser empty;                                // no file name: nothing happens
    empty.SaveToFile();
    empty.LoadFromFile();
}

TEST(XMLParserTest, DeepNestingNeitherOverflowsNorLosesLevels) {
    constexpr int kDepth = 200000;
    std::string text;
    for (int i = 0; i < kDepth; ++i)
        text += "<f>";
    text += "leaf";
    for (int i = 0; i < kDepth; ++i)
        text += "</f>";
    TXMLParser parser = Parse(text);
    ASSERT_EQ(parser.Nodes.size(), 1u);
    TXMLNode* node = parser.Nodes[0].get();
    int depth = 1;
    while (!node->Children.empty()) {
        node = node->Children[0].get();
        ++depth;
    }
    EXPECT_EQ(depth, kDepth);
    EXPECT_EQ(node->Value.ToString(), "leaf");
    TXMLNodePtr kept = parser.Nodes[0]->Children[0]->Children[0];
    const std::string saved = parser.SaveToString();
    EXPECT_GE(std::count(saved.begin(), saved.end(), '\n'), kDepth); // a line per element
    TXMLParser again = Parse(saved);
    parser.Clear(); // frees all but the kept subtree
    EXPECT_EQ(kept->Parent, nullptr);
    EXPECT_EQ(again.Nodes[0]->Children[0]->Name, "f");
}
