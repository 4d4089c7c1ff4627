#include "task/TaskFile.h"

#include "task/DestinationSection.h"
#include "task/FtpSnapshot.h"
#include "task/GeneralSection.h"
#include "task/SourceSection.h"
#include "task/TaskFileValues.h"

namespace kelvo::TaskFile {

namespace {

void ReadRegistry(const TXMLNode& element, TmSource& source) {
    for (const TXMLNodePtr& key : element.Children)
        source.Registry.Add({TXMLParser::TextOf(TXMLParser::ChildAt(key.get(), 0)), "",
                             TXMLParser::TextOf(TXMLParser::ChildAt(key.get(), 1))});
}

void ReadPlugins(const TXMLNode& element, TmSource& source) {
    for (const TXMLNodePtr& item : element.Children) {
        TKBTPlugin plugin;
        const TXMLNode* guid = TXMLParser::ChildAt(item.get(), 0);
        if (guid && guid->Name == "guid")
            plugin.Guid = guid->Value.ToString();
        const TXMLNode* files = TXMLParser::ChildAt(item.get(), 1);
        if (files && files->Name == "files")
            for (const TXMLNodePtr& file : files->Children)
                plugin.Files.push_back(file->Value.ToString());
        const TXMLNode* idents = TXMLParser::ChildAt(item.get(), 2);
        if (idents && idents->Name == "idents")
            for (const TXMLNodePtr& ident : idents->Children)
                plugin.Idents.push_back(
                    {ident->Value.ToString(),
                     TXMLParser::HasAttribute(ident.get(), "IdentName")
                         ? TXMLParser::GetAttribute(ident.get(), "IdentName").ToString()
                         : ""});
        source.Plugins.push_back(std::move(plugin));
    }
}

void WriteExtras(const TmSource& source, TXMLNode& xml) {
    if (source.Registry.Count() > 0) {
        TXMLNode* registry = TXMLParser::AddChild(&xml, "REGISTRY", "");
        for (const TReg& item : source.Registry.Items()) {
            TXMLNode* key = TXMLParser::AddChild(registry, "key", "");
            TXMLParser::AddChild(key, "name", item.Name);
            TXMLParser::AddChild(key, "path", item.Path);
        }
    }
    if (source.Plugins.empty())
        return;
    TXMLNode* plugins = TXMLParser::AddChild(&xml, "PLUGINS", "");
    for (const TKBTPlugin& plugin : source.Plugins) {
        TXMLNode* item = TXMLParser::AddChild(plugins, "plugin", "");
        TXMLParser::AddChild(item, "guid", plugin.Guid);
        TXMLNode* files = TXMLParser::AddChild(item, "files", "");
        for (const std::string& file : plugin.Files)
            TXMLParser::AddChild(files, "file", file);
        TXMLNode* idents = TXMLParser::AddChild(item, "idents", "");
        for (const TKBTPlugin::Identity& ident : plugin.Idents)
            TXMLParser::AddAttribute(TXMLParser::AddChild(idents, "ident", ident.Value),
                                     "IdentName", ident.IdentName);
    }
}

// Sections in file order; each is read only when the one before was found.
TXMLNodePtr ReadSections(const TXMLParser& parser, KBT& task) {
    const TXMLNode* general = parser.FindNode("", {"XML", "GENERAL"});
    if (!general)
        return nullptr;
    GeneralSection::Read(*general, task.FGeneral);
    const TXMLNode* source = parser.FindNode("", {"XML", "SOURCE"});
    if (!source)
        return nullptr;
    SourceSection::Read(*source, task.FSource);
    const TXMLNode* destination = parser.FindNode("", {"XML", "DESTINATION"});
    if (!destination)
        return nullptr;
    DestinationSection::Read(*destination, task.FDestination, task.FGeneral.ArchiveFolderName);
    TXMLNodePtr snapshot;
    for (const TXMLNodePtr& section : parser.Nodes[0]->Children) {
        if (section->Name == "FTP_SOURCE" && !snapshot)
            snapshot = section;
        else if (section->Name == "REGISTRY")
            ReadRegistry(*section, task.FSource);
        else if (section->Name == "PLUGINS")
            ReadPlugins(*section, task.FSource);
    }
    return snapshot;
}

} // namespace

TXMLNodePtr Read(const std::string& path, KBT& task) {
    TXMLParser parser;
    parser.FileName = path;
    parser.LoadFromFile();
    TXMLNodePtr snapshot;
    try {
        snapshot = ReadSections(parser, task);
    } catch (const TaskFileConversionError&) {
        // What was read before the faulty value stays; the rest keeps its defaults.
    }
    task.FSource.SortByPath();
    return snapshot;
}

TXMLParser Build(KBT& task, bool forceScheduler, SystemTime now, TXMLNodePtr& snapshot) {
    task.FGeneral.KBT_Version = "1.0.1";
    TXMLParser parser;
    parser.FileName = task.FileName();
    auto xml = std::make_shared<TXMLNode>("XML");
    parser.Nodes.push_back(xml);
    GeneralSection::Write(task.FGeneral, *TXMLParser::AddChild(xml.get(), "GENERAL", ""),
                          forceScheduler);
    SourceSection::Write(task.FSource, *TXMLParser::AddChild(xml.get(), "SOURCE", ""));
    DestinationSection::Write(task.FDestination,
                              *TXMLParser::AddChild(xml.get(), "DESTINATION", ""));
    if (task.FDestination.Folder.Endpoint.Kind == kFtpServer) {
        std::vector<std::string> folders, files;
        for (const auto& folder : task.FSource.Folders)
            folders.push_back(folder->FullName());
        for (const auto& file : task.FSource.Files)
            files.push_back(file->FullName());
        snapshot = FtpSnapshot::Build(folders, files, now);
        xml->Children.push_back(snapshot);
    }
    WriteExtras(task.FSource, *xml);
    return parser;
}

} // namespace kelvo::TaskFile
