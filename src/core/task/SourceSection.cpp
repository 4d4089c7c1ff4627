#include "task/SourceSection.h"

#include "task/TaskFileValues.h"

namespace kelvo::SourceSection {

namespace {

void ReadFolder(const TXMLNode& element, TmSource& source) {
    auto folder = std::make_unique<TDir>(1);
    folder->SetPath(TXMLParser::TextOf(TXMLParser::ChildAt(&element, 0)));
    bool ownInclusion = false, ownExclusion = false;
    for (size_t i = 1; i < element.Children.size(); ++i) {
        const TXMLNode& child = *element.Children[i];
        if (child.Name == "InclusionMask") {
            folder->FInclusionMasks = child.Value.ToString();
            ownInclusion = true;
        } else if (child.Name == "ExclusionMask") {
            folder->FExclusionMasks = child.Value.ToString();
            ownExclusion = true;
        } else if (child.Name == "username") {
            folder->Endpoint.Kind = kLanFolder;
            folder->Endpoint.UserName = child.Value.ToString();
        } else if (child.Name == "password") {
            folder->Endpoint.Password = child.Value.ToString();
        }
    }
    if (!ownInclusion)
        folder->FInclusionMasks = source.InclusionMask;
    if (!ownExclusion)
        folder->FExclusionMasks = source.ExclusionMask;
    source.Folders.push_back(std::move(folder));
}

void ReadFile(const TXMLNode& element, TmSource& source) {
    auto file = std::make_unique<TFis>(1);
    file->SetPath(TXMLParser::TextOf(TXMLParser::ChildAt(&element, 0)));
    for (size_t i = 1; i < element.Children.size(); ++i) {
        const TXMLNode& child = *element.Children[i];
        if (child.Name == "username") {
            file->Endpoint.Kind = kLanFolder;
            file->Endpoint.UserName = child.Value.ToString();
        } else if (child.Name == "password") {
            file->Endpoint.Password = child.Value.ToString();
        }
    }
    if (TXMLParser::HasAttribute(&element, "special"))
        file->Special =
            TaskFileValues::ToInteger(TXMLParser::GetAttribute(&element, "special").ToString());
    if (TXMLParser::HasAttribute(&element, "info"))
        file->Info = TXMLParser::GetAttribute(&element, "info").ToString();
    if (TXMLParser::HasAttribute(&element, "info1"))
        file->Info1 = TXMLParser::GetAttribute(&element, "info1").ToString();
    source.Files.push_back(std::move(file));
}

void WriteCredentials(const EndpointSettings& endpoint, TXMLNode& item) {
    if (endpoint.Kind != kLanFolder)
        return;
    TXMLParser::AddChild(&item, "username", endpoint.UserName);
    TXMLParser::AddChild(&item, "password", endpoint.Password);
}

} // namespace

void Read(const TXMLNode& element, TmSource& source) {
    source.AlsoFoldersMAsk =
        TaskFileValues::ToBool(TXMLParser::TextOf(TXMLParser::ChildAt(&element, 0)));
    source.ExcludeTemp =
        TaskFileValues::ToBool(TXMLParser::TextOf(TXMLParser::ChildAt(&element, 1)));
    source.InclusionMask = TXMLParser::TextOf(TXMLParser::ChildAt(&element, 2));
    source.ExclusionMask = TXMLParser::TextOf(TXMLParser::ChildAt(&element, 3));
    for (size_t i = 3; i < element.Children.size(); ++i) {
        const TXMLNode& child = *element.Children[i];
        if (child.Name == "folder")
            ReadFolder(child, source);
        else if (child.Name == "file")
            ReadFile(child, source);
    }
}

void Write(const TmSource& source, TXMLNode& element) {
    TXMLParser::AddChild(&element, "AlsoFoldersMAsk",
                         TaskFileValues::BoolText(source.AlsoFoldersMAsk));
    TXMLParser::AddChild(&element, "ExcludeTemp", TaskFileValues::BoolText(source.ExcludeTemp));
    TXMLParser::AddChild(&element, "InclusionMask", source.InclusionMask);
    TXMLParser::AddChild(&element, "ExclusionMask", source.ExclusionMask);
    for (const auto& folder : source.Folders) {
        TXMLNode* item = TXMLParser::AddChild(&element, "folder", "");
        TXMLParser::AddChild(item, "path", folder->FullName());
        WriteCredentials(folder->Endpoint, *item);
        if (folder->FInclusionMasks != source.InclusionMask)
            TXMLParser::AddChild(item, "InclusionMask", folder->FInclusionMasks);
        if (folder->FExclusionMasks != source.ExclusionMask)
            TXMLParser::AddChild(item, "ExclusionMask", folder->FExclusionMasks);
    }
    for (const auto& file : source.Files) {
        TXMLNode* item = TXMLParser::AddChild(&element, "file", "");
        TXMLParser::AddChild(item, "path", file->FullName());
        WriteCredentials(file->Endpoint, *item);
        if (file->Special > 0) {
            TXMLParser::AddAttribute(item, "special", file->Special);
            TXMLParser::AddAttribute(item, "info", file->Info);
            if (!file->Info1.empty())
                TXMLParser::AddAttribute(item, "info1", file->Info1);
        }
    }
}

} // namespace kelvo::SourceSection
