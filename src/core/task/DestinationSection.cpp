#include "task/DestinationSection.h"

#include "crypto/StoredPassword.h"
#include "task/TaskFileValues.h"

#include <algorithm>

namespace kelvo::DestinationSection {

namespace {

using TaskFileValues::BoolText;
using TaskFileValues::ToBool;
using TaskFileValues::ToInteger;

std::string Attribute(const TXMLNode& node, const char* name) {
    return TXMLParser::GetAttribute(&node, name).ToString();
}

// One FTP setting by its element name; false when the name is none of them.
bool ReadFtpSetting(TConnection& ftp, const std::string& name, const std::string& text) {
    if (name == "Host")
        ftp.Host = text;
    else if (name == "Port")
        ftp.Port = ToInteger(text);
    else if (name == "UserName")
        ftp.UserName = text;
    else if (name == "Pass")
        ftp.Pass = DecryptString(text);
    else if (name == "InitDir")
        ftp.InitDir = text;
    else if (name == "PsvMode")
        ftp.PsvMode = ToBool(text);
    else if (name == "SavProx")
        ftp.SavProx = ToBool(text);
    else if (name == "ProxyHost")
        ftp.ProxyHost = text;
    else if (name == "ProxyPort")
        ftp.ProxyPort = ToInteger(text);
    else if (name == "ProxyUN")
        ftp.ProxyUN = text;
    else if (name == "ProxyPass")
        ftp.ProxyPass = DecryptString(text);
    else if (name == "ProxyMeth")
        ftp.ProxyMeth = text;
    else
        return false;
    return true;
}

void ReadRoot(const TXMLNode& root, TmDestination& destination) {
    if (TXMLParser::HasAttribute(&root, "dtype"))
        destination.dtype = ToInteger(Attribute(root, "dtype"));
    EndpointSettings& endpoint = destination.Folder.Endpoint;
    if (TXMLParser::HasAttribute(&root, "rb")) {
        destination.rb = ToInteger(Attribute(root, "rb"));
        endpoint.Kind = static_cast<int>(destination.rb);
    } else {
        destination.rb = kLocalFolder;
    }
    destination.Folder.SetPath(TXMLParser::TextOf(TXMLParser::ChildAt(&root, 0)));
    for (size_t i = 1; i < root.Children.size(); ++i) {
        const TXMLNode& child = *root.Children[i];
        const std::string text = child.Value.ToString();
        if (child.Name == "username") {
            endpoint.Kind = kLanFolder;
            endpoint.UserName = text;
        } else if (child.Name == "password") {
            endpoint.Password = text;
        } else if (child.Name == "ConnName") {
            endpoint.Kind = kFtpServer;
            endpoint.Ftp = std::make_shared<TConnection>();
            endpoint.Ftp->ConnName = text;
        } else if (endpoint.Ftp) { // settings before a ConnName have nowhere to go
            ReadFtpSetting(*endpoint.Ftp, child.Name, text);
        }
    }
}

void ReadArchive(const TXMLNode& element, TmDestination& destination,
                 const std::string& archiveNameBase) {
    TAr& archive = destination.Archive;
    destination.archive = ToBool(element.Value.ToString());
    archive.FSelfExtracting = ToBool(Attribute(element, "selfextracting"));
    archive.FPassword = TXMLParser::HasAttribute(&element, "password")
                            ? DecryptString(Attribute(element, "password"))
                            : "";
    archive.FSecurity =
        TXMLParser::HasAttribute(&element, "security") ? Attribute(element, "security") : "";
    archive.FQuality = TXMLParser::HasAttribute(&element, "quality")
                           ? ToInteger(Attribute(element, "quality"))
                           : 6;
    const bool split = TXMLParser::HasAttribute(&element, "split");
    archive.FSplit = split;
    archive.FSplitSize =
        split ? static_cast<uint64_t>(std::max<int64_t>(0, ToInteger(Attribute(element, "split"))))
              : 0;
    // After the attributes, so that a self-extracting archive gets its ".exe".
    destination.ApplyArchivePath(archiveNameBase);
}

void WriteFtp(const TConnection& ftp, TXMLNode& root) {
    TXMLParser::AddChild(&root, "ConnName", ftp.ConnName);
    TXMLParser::AddChild(&root, "Host", ftp.Host);
    TXMLParser::AddChild(&root, "Port", std::to_string(ftp.Port));
    TXMLParser::AddChild(&root, "UserName", ftp.UserName);
    TXMLParser::AddChild(&root, "Pass", EncryptString(ftp.Pass));
    TXMLParser::AddChild(&root, "InitDir", ftp.InitDir);
    TXMLParser::AddChild(&root, "PsvMode", BoolText(ftp.PsvMode));
    TXMLParser::AddChild(&root, "SavProx", BoolText(ftp.SavProx));
    TXMLParser::AddChild(&root, "ProxyHost", ftp.ProxyHost);
    TXMLParser::AddChild(&root, "ProxyPort", std::to_string(ftp.ProxyPort));
    TXMLParser::AddChild(&root, "ProxyUN", ftp.ProxyUN);
    TXMLParser::AddChild(&root, "ProxyPass", EncryptString(ftp.ProxyPass));
    TXMLParser::AddChild(&root, "ProxyMeth", ftp.ProxyMeth);
}

} // namespace

void Read(const TXMLNode& element, TmDestination& destination, const std::string& archiveNameBase) {
    if (const TXMLNode* root = TXMLParser::ChildAt(&element, 0))
        ReadRoot(*root, destination);
    if (const TXMLNode* archive = TXMLParser::ChildAt(&element, 1))
        ReadArchive(*archive, destination, archiveNameBase);
    if (const TXMLNode* list = TXMLParser::ChildAt(&element, 2))
        destination.list.SetPath(list->Value.ToString());
    if (const TXMLNode* stacks = TXMLParser::ChildAt(&element, 3))
        for (const TXMLNodePtr& stack : stacks->Children)
            if (stack->Name == "stack")
                destination.Stacks.push_back(stack->Value.ToString());
}

void Write(const TmDestination& destination, TXMLNode& element) {
    TXMLNode* root = TXMLParser::AddChild(&element, "root", "");
    TXMLParser::AddAttribute(root, "dtype", destination.dtype);
    TXMLParser::AddAttribute(root, "rb", destination.rb);
    TXMLParser::AddChild(root, "path", destination.Folder.FullName());
    const EndpointSettings& endpoint = destination.Folder.Endpoint;
    if (endpoint.Kind == kLanFolder) {
        TXMLParser::AddChild(root, "username", endpoint.UserName);
        TXMLParser::AddChild(root, "password", endpoint.Password);
    } else if (endpoint.Kind == kFtpServer) {
        WriteFtp(endpoint.Ftp ? *endpoint.Ftp : TConnection{}, *root);
    }
    const TAr& archive = destination.Archive;
    TXMLNode* archiveElement =
        TXMLParser::AddChild(&element, "archive", BoolText(destination.archive));
    TXMLParser::AddAttribute(archiveElement, "selfextracting", BoolText(archive.FSelfExtracting));
    TXMLParser::AddAttribute(archiveElement, "security", archive.FSecurity);
    TXMLParser::AddAttribute(archiveElement, "password", EncryptString(archive.FPassword));
    TXMLParser::AddAttribute(archiveElement, "quality", archive.FQuality);
    if (archive.FSplit)
        TXMLParser::AddAttribute(archiveElement, "split", static_cast<int64_t>(archive.FSplitSize));
    TXMLParser::AddChild(&element, "list", destination.list.FullName());
    if (!destination.Stacks.empty()) {
        TXMLNode* stacks = TXMLParser::AddChild(&element, "st", "");
        for (const std::string& name : destination.Stacks)
            TXMLParser::AddChild(stacks, "stack", name);
    }
}

} // namespace kelvo::DestinationSection
