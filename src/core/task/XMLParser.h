#pragma once

#include "task/Variant.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kelvo {

struct TXMLNodeAttr {
    std::string Name;
    TVariant Value;
};

class TXMLNode;
using TXMLNodePtr = std::shared_ptr<TXMLNode>;

// One element: name, text value, attributes and child elements in document
// order. A node owns its children; a caller may keep a subtree alive after the
// document is gone (the node's Parent is then cleared).
class TXMLNode {
public:
    TXMLNode() = default;
    TXMLNode(std::string name, TVariant value = {});
    ~TXMLNode();
    TXMLNode(const TXMLNode&) = delete;
    TXMLNode& operator=(const TXMLNode&) = delete;

    TXMLNode* Parent = nullptr; // set while loading only
    std::vector<TXMLNodePtr> Children;
    std::vector<TXMLNodeAttr> Attributes;
    std::string Name;
    TVariant Value;
};

// Loads an XML file into TXMLNode trees and writes them back. Neither
// direction reports errors: an unreadable file gives an empty or partial tree.
class TXMLParser {
public:
    std::string FileName;
    std::vector<TXMLNodePtr> Nodes;

    void LoadFromFile();
    // Answers whether the file was written; callers may ignore it.
    bool SaveToFile() const;
    void LoadFromString(std::string_view data);
    std::string SaveToString() const;
    void Clear();

    // Walks down the top-level nodes by path (names compared ignoring case).
    // With childName, answers the found node's first child of that name, or the
    // found node itself when it has none.
    TXMLNode* FindNode(std::string_view childName, const std::vector<std::string>& path) const;

    static bool HasAttribute(const TXMLNode* node, std::string_view name);
    // The first attribute of that name (ignoring case), or boolean false.
    static TVariant GetAttribute(const TXMLNode* node, std::string_view name);
    static void AddAttribute(TXMLNode* node, std::string name, TVariant value);
    static TXMLNode* AddChild(TXMLNode* node, std::string name, std::string value);
    static TXMLNode* ChildAt(const TXMLNode* node, size_t index);
    // The node's value as text; empty for no node.
    static std::string TextOf(const TXMLNode* node) { return node ? node->Value.ToString() : ""; }
};

} // namespace kelvo
