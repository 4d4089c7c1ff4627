#include "task/XMLParser.h"

#include "platform/FileIO.h"
#include "task/TextEncoding.h"

#include <pugixml.hpp>

#include <algorithm>

#include <strings.h>

namespace kelvo {

namespace {

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && ::strncasecmp(a.data(), b.data(), a.size()) == 0;
}

// Decoding damaged input can leave byte sequences that are not UTF-8; the tree
// never holds them, so that what is read survives a save and a second load.
std::string Text(const char* decoded) {
    std::string_view text(decoded);
    return IsValidUtf8(text) ? std::string(text) : RepairUtf8(text);
}

// Blanks beside child elements are indentation to every reader, so they are
// no value here either (a CDATA section of blanks would not survive a save).
void DropIndentation(TXMLNode& node) {
    if (!node.Children.empty() &&
        node.Value.ToString().find_first_not_of(" \t\r\n") == std::string::npos)
        node.Value = TVariant();
}

// Walks with a stack of its own: a deeply nested file must not exhaust ours.
std::vector<TXMLNodePtr> BuildTree(const pugi::xml_document& doc) {
    std::vector<TXMLNodePtr> top;
    std::vector<std::pair<pugi::xml_node, TXMLNode*>> pending;
    for (const pugi::xml_node& element : doc.children())
        if (element.type() == pugi::node_element) {
            top.push_back(std::make_shared<TXMLNode>(Text(element.name())));
            pending.emplace_back(element, top.back().get());
        }
    while (!pending.empty()) {
        auto [element, node] = pending.back();
        pending.pop_back();
        for (const pugi::xml_attribute& attr : element.attributes())
            node->Attributes.push_back({Text(attr.name()), Text(attr.value())});
        for (const pugi::xml_node& child : element.children()) {
            if (child.type() == pugi::node_element) {
                node->Children.push_back(std::make_shared<TXMLNode>(Text(child.name())));
                node->Children.back()->Parent = node;
                pending.emplace_back(child, node->Children.back().get());
            } else if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata) {
                node->Value = Text(child.value()); // the last text wins
            }
        }
        DropIndentation(*node);
    }
    return top;
}

// A nameless node is not written; its children stand in its place.
void WriteTree(const std::vector<TXMLNodePtr>& nodes, pugi::xml_node root) {
    struct Level {
        const std::vector<TXMLNodePtr>* nodes;
        size_t next;
        pugi::xml_node parent;
    };
    std::vector<Level> levels{{&nodes, 0, root}};
    while (!levels.empty()) {
        Level& level = levels.back();
        if (level.next == level.nodes->size()) {
            levels.pop_back();
            continue;
        }
        const TXMLNode& node = *(*level.nodes)[level.next++];
        pugi::xml_node parent = level.parent; // level may move when levels grows
        if (node.Name.empty()) {
            levels.push_back({&node.Children, 0, parent});
            continue;
        }
        pugi::xml_node element = parent.append_child(node.Name.c_str());
        // An empty text beside child elements would make pugixml treat the
        // element as mixed content and write it on one line.
        const std::string text = node.Value.ToString();
        if (!text.empty() || node.Children.empty())
            element.append_child(pugi::node_pcdata).set_value(text.c_str());
        for (const TXMLNodeAttr& attr : node.Attributes)
            element.append_attribute(attr.Name.c_str()).set_value(attr.Value.ToString().c_str());
        if (!node.Children.empty())
            levels.push_back({&node.Children, 0, element});
    }
}

// Levels of the deepest element, counted without recursion.
size_t Depth(const std::vector<TXMLNodePtr>& nodes) {
    size_t deepest = 0;
    std::vector<std::pair<const TXMLNode*, size_t>> pending;
    for (const TXMLNodePtr& node : nodes)
        pending.emplace_back(node.get(), 1);
    while (!pending.empty()) {
        auto [node, depth] = pending.back();
        pending.pop_back();
        deepest = std::max(deepest, depth);
        for (const TXMLNodePtr& child : node->Children)
            pending.emplace_back(child.get(), depth + 1);
    }
    return deepest;
}

// pugixml ends lines in "\n"; our files end them in CR LF. pugixml writes a CR
// of the content as it is, which a reader would fold into a line end: only
// content has CRs here, so each becomes a character reference.
class CrLfWriter : public pugi::xml_writer {
public:
    std::string out;
    void write(const void* data, size_t size) override {
        const char* text = static_cast<const char*>(data);
        for (size_t i = 0; i < size; ++i) {
            if (text[i] == '\r')
                out += "&#13;";
            else if (text[i] == '\n')
                out += "\r\n";
            else
                out += text[i];
        }
    }
};

} // namespace

TXMLNode::TXMLNode(std::string name, TVariant value)
    : Name(std::move(name)), Value(std::move(value)) {}

TXMLNode::~TXMLNode() {
    // Frees the subtree without recursion; a node kept elsewhere loses its Parent.
    std::vector<TXMLNodePtr> pending = std::move(Children);
    while (!pending.empty()) {
        TXMLNodePtr node = std::move(pending.back());
        pending.pop_back();
        node->Parent = nullptr;
        if (node.use_count() == 1) { // it dies here: take its children first
            for (TXMLNodePtr& child : node->Children)
                pending.push_back(std::move(child));
            node->Children.clear();
        }
    }
}

void TXMLParser::LoadFromFile() {
    if (FileName.empty())
        return;
    Clear();
    if (auto data = ReadWholeFile(FileName))
        LoadFromString(*data);
}

void TXMLParser::LoadFromString(std::string_view data) {
    Clear();
    pugi::xml_document doc;
    const XmlDecoding decoding = DecideXmlDecoding(data);
    data.remove_prefix(decoding.skip);
    // A value of blanks is a value; the indentation between elements is not.
    doc.load_buffer(data.data(), data.size(), pugi::parse_default | pugi::parse_ws_pcdata_single,
                    decoding.latin1 ? pugi::encoding_latin1 : pugi::encoding_auto);
    // A damaged document keeps what was parsed before the fault.
    Nodes = BuildTree(doc);
}

std::string TXMLParser::SaveToString() const {
    pugi::xml_document doc;
    WriteTree(Nodes, doc);
    CrLfWriter writer;
    // Indentation grows with the square of the depth; past a depth no real file
    // reaches, elements still start their own lines, unindented.
    constexpr size_t kIndentedDepth = 64;
    const char* indent = Depth(Nodes) <= kIndentedDepth ? "  " : "";
    doc.save(writer, indent, pugi::format_indent | pugi::format_no_declaration,
             pugi::encoding_utf8);
    return writer.out;
}

bool TXMLParser::SaveToFile() const {
    return !FileName.empty() && WriteFileAtomically(FileName, SaveToString());
}

void TXMLParser::Clear() {
    Nodes.clear();
}

TXMLNode* TXMLParser::FindNode(std::string_view childName,
                               const std::vector<std::string>& path) const {
    if (path.empty())
        return nullptr;
    const std::vector<TXMLNodePtr>* level = &Nodes;
    TXMLNode* found = nullptr;
    for (const std::string& name : path) {
        found = nullptr;
        for (const TXMLNodePtr& node : *level)
            if (SameName(node->Name, name)) {
                found = node.get();
                break;
            }
        if (!found)
            return nullptr;
        level = &found->Children;
    }
    if (!childName.empty())
        for (const TXMLNodePtr& child : found->Children)
            if (SameName(child->Name, childName))
                return child.get();
    return found;
}

bool TXMLParser::HasAttribute(const TXMLNode* node, std::string_view name) {
    if (!node)
        return false;
    for (const TXMLNodeAttr& attr : node->Attributes)
        if (SameName(attr.Name, name))
            return true;
    return false;
}

TVariant TXMLParser::GetAttribute(const TXMLNode* node, std::string_view name) {
    if (node)
        for (const TXMLNodeAttr& attr : node->Attributes)
            if (SameName(attr.Name, name))
                return attr.Value;
    return TVariant(false);
}

void TXMLParser::AddAttribute(TXMLNode* node, std::string name, TVariant value) {
    node->Attributes.push_back({std::move(name), std::move(value)});
}

TXMLNode* TXMLParser::AddChild(TXMLNode* node, std::string name, std::string value) {
    node->Children.push_back(std::make_shared<TXMLNode>(std::move(name), std::move(value)));
    return node->Children.back().get();
}

TXMLNode* TXMLParser::ChildAt(const TXMLNode* node, size_t index) {
    if (!node || index >= node->Children.size())
        return nullptr;
    return node->Children[index].get();
}

} // namespace kelvo
