#include "task/XMLParser.h"

#include "platform/FileIO.h"
#include "task/TextEncoding.h"

#include <pugixml.hpp>

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

TXMLNodePtr BuildNode(const pugi::xml_node& element, TXMLNode* parent) {
    auto node = std::make_shared<TXMLNode>(Text(element.name()));
    node->Parent = parent;
    for (const pugi::xml_attribute& attr : element.attributes())
        node->Attributes.push_back({Text(attr.name()), Text(attr.value())});
    for (const pugi::xml_node& child : element.children()) {
        if (child.type() == pugi::node_element)
            node->Children.push_back(BuildNode(child, node.get()));
        else if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata)
            node->Value = Text(child.value());
    }
    // Blanks beside child elements are indentation to every reader, so they are
    // no value here either (a CDATA section of blanks would not survive a save).
    if (!node->Children.empty() &&
        node->Value.ToString().find_first_not_of(" \t\r\n") == std::string::npos)
        node->Value = TVariant();
    return node;
}

void WriteNode(const TXMLNode& node, pugi::xml_node parent) {
    if (node.Name.empty()) { // a nameless node only groups its children
        for (const TXMLNodePtr& child : node.Children)
            WriteNode(*child, parent);
        return;
    }
    pugi::xml_node element = parent.append_child(node.Name.c_str());
    // An empty text beside child elements would make pugixml treat the element as
    // mixed content and write it on one line.
    const std::string text = node.Value.ToString();
    if (!text.empty() || node.Children.empty())
        element.append_child(pugi::node_pcdata).set_value(text.c_str());
    for (const TXMLNodeAttr& attr : node.Attributes)
        element.append_attribute(attr.Name.c_str()).set_value(attr.Value.ToString().c_str());
    for (const TXMLNodePtr& child : node.Children)
        WriteNode(*child, element);
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
    for (const TXMLNodePtr& child : Children)
        if (child->Parent == this)
            child->Parent = nullptr;
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
    for (const pugi::xml_node& top : doc.children())
        if (top.type() == pugi::node_element)
            Nodes.push_back(BuildNode(top, nullptr));
}

std::string TXMLParser::SaveToString() const {
    pugi::xml_document doc;
    for (const TXMLNodePtr& node : Nodes)
        WriteNode(*node, doc);
    CrLfWriter writer;
    doc.save(writer, "  ", pugi::format_indent | pugi::format_no_declaration, pugi::encoding_utf8);
    return writer.out;
}

void TXMLParser::SaveToFile() const {
    if (FileName.empty())
        return;
    WriteFileAtomically(FileName, SaveToString());
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
