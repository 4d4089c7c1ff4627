#include "task/FtpSnapshot.h"

#include "app/TaskFileFormats.h"
#include "util/TextSplit.h"

#include <algorithm>
#include <charconv>
#include <filesystem>

namespace kelvo::FtpSnapshot {

namespace fs = std::filesystem;

namespace {

// "/home/ann/Data" gives home, ann, Data.
std::vector<std::string> PathParts(const std::string& path) {
    return SplitNonEmpty(path, '/');
}

std::string ChildText(const TXMLNode& node, size_t index) {
    return TXMLParser::TextOf(TXMLParser::ChildAt(&node, index));
}

// The first "folder" element among children whose name (child 0) is exactly name.
TXMLNode* FindNamed(const std::vector<TXMLNodePtr>& children, const std::string& name) {
    for (const TXMLNodePtr& child : children)
        if (child->Name == "folder" && ChildText(*child, 0) == name)
            return child.get();
    return nullptr;
}

TXMLNode* AddFolder(TXMLNode& contains, const std::string& name, const std::string& path) {
    TXMLNode* folder = TXMLParser::AddChild(&contains, "folder", "");
    TXMLParser::AddChild(folder, "name", name);
    TXMLParser::AddChild(folder, "path", path);
    TXMLParser::AddChild(folder, "contains", "");
    return folder;
}

void AddFile(TXMLNode& contains, const std::string& name, const std::string& path, int64_t size,
             TDateTime date) {
    TXMLNode* file = TXMLParser::AddChild(&contains, "file", "");
    TXMLParser::AddChild(file, "name", name);
    TXMLParser::AddChild(file, "path", path);
    TXMLParser::AddChild(file, "size", std::to_string(size));
    TXMLParser::AddChild(file, "date", TaskFileFormats::FormatNumber(date));
}

TDateTime LastWrite(const fs::path& path, std::error_code& error) {
    const auto written = fs::last_write_time(path, error);
    if (error)
        return 0;
    const auto system = std::chrono::time_point_cast<SystemTime::duration>(
        std::chrono::file_clock::to_sys(written));
    return DateTimeFromSystem(system);
}

// The contains element of each level of path's parent, created as needed.
TXMLNode& ParentLevel(TXMLNode& snapshot, const std::vector<std::string>& parts) {
    TXMLNode* contains = &snapshot;
    std::string path;
    for (size_t i = 0; i + 1 < parts.size(); ++i) {
        path += "/" + parts[i];
        TXMLNode* folder = FindNamed(contains->Children, parts[i]);
        if (!folder)
            folder = AddFolder(*contains, parts[i], path);
        contains = folder->Children[2].get();
    }
    return *contains;
}

// Every entry below folder, folders first as the disk lists them; no recursion.
void FillFromDisk(TXMLNode& contains, const std::string& folder) {
    std::vector<std::pair<std::string, TXMLNode*>> pending{{folder, &contains}};
    while (!pending.empty()) {
        auto [path, target] = pending.back();
        pending.pop_back();
        std::error_code error;
        std::vector<fs::directory_entry> listed;
        for (fs::directory_iterator it(path, error), end; !error && it != end; it.increment(error))
            listed.push_back(*it);
        std::sort(listed.begin(), listed.end()); // the same disk gives the same snapshot
        for (const fs::directory_entry& item : listed) {
            const auto* it = &item;
            const fs::path entry = it->path();
            const std::string name = entry.filename().string();
            std::error_code ignored;
            if (it->is_directory(ignored) && !it->is_symlink(ignored)) {
                TXMLNode* sub = AddFolder(*target, name, entry.string());
                pending.emplace_back(entry.string(), sub->Children[2].get());
            } else {
                const auto size = it->is_regular_file(ignored) ? it->file_size(ignored) : 0;
                AddFile(*target, name, entry.string(), ignored ? 0 : static_cast<int64_t>(size),
                        LastWrite(entry, ignored));
            }
        }
    }
}

int64_t ToInt64(const std::string& text) {
    int64_t value = 0;
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && ptr == text.data() + text.size() ? value : 0;
}

// A date as a day number, else as a date-time text, else 0.
TDateTime ToDate(const std::string& text) {
    if (auto number = TaskFileFormats::ParseNumber(text))
        return *number;
    const size_t blank = text.find(' ');
    auto date =
        TaskFileFormats::ParseDate(text.substr(0, blank), TaskFileFormats::DateOrder::DayMonthYear);
    if (!date)
        return 0;
    auto time = blank == std::string::npos ? std::optional<TDateTime>(0)
                                           : TaskFileFormats::ParseTime(text.substr(blank + 1));
    return *date + time.value_or(0);
}

} // namespace

TXMLNodePtr Build(const std::vector<std::string>& folders, const std::vector<std::string>& files,
                  SystemTime now) {
    auto snapshot = std::make_shared<TXMLNode>("FTP_SOURCE");
    for (const std::string& folder : folders) {
        const std::vector<std::string> parts = PathParts(folder);
        TXMLNode& parent = ParentLevel(*snapshot, parts);
        TXMLNode* own = AddFolder(parent, parts.empty() ? "" : parts.back(), folder);
        FillFromDisk(*own->Children[2], folder);
    }
    for (const std::string& file : files) {
        const std::vector<std::string> parts = PathParts(file);
        TXMLNode& parent = ParentLevel(*snapshot, parts);
        std::error_code error;
        const auto size = fs::file_size(file, error);
        const TDateTime date = error ? DateTimeFromSystem(now) : LastWrite(file, error);
        AddFile(parent, parts.empty() ? "" : parts.back(), file,
                error ? 0 : static_cast<int64_t>(size), date);
    }
    return snapshot;
}

const TXMLNode* FindFolder(const TXMLNode* snapshot, const std::string& path) {
    if (!snapshot)
        return nullptr;
    const std::vector<std::string> parts = PathParts(path);
    const TXMLNode* contains = snapshot;
    const TXMLNode* folder = nullptr;
    for (const std::string& part : parts) {
        folder = FindNamed(contains->Children, part);
        if (!folder)
            return nullptr;
        contains = TXMLParser::ChildAt(folder, 2);
        if (!contains)
            return nullptr;
    }
    return folder;
}

void ListFolder(const TXMLNode* snapshot, const std::string& path,
                std::vector<TFTPNodeObject>& entries) {
    const TXMLNode* folder = FindFolder(snapshot, path);
    const TXMLNode* contains = folder ? TXMLParser::ChildAt(folder, 2) : nullptr;
    if (!contains)
        return;
    for (const TXMLNodePtr& child : contains->Children) {
        TFTPNodeObject entry{ChildText(*child, 0), ChildText(*child, 1), 0, 0,
                             child->Name == "folder"};
        if (!entry.folder) {
            entry.size = ToInt64(ChildText(*child, 2));
            entry.date = ToDate(ChildText(*child, 3));
        }
        entries.push_back(std::move(entry));
    }
}

int64_t SizeBelow(const TXMLNode* snapshot, const std::string& path,
                  const std::function<bool(const std::string& name)>& passes) {
    const TXMLNode* folder = FindFolder(snapshot, path);
    if (!folder)
        return 0;
    int64_t total = 0;
    std::vector<const TXMLNode*> pending{folder};
    while (!pending.empty()) {
        const TXMLNode* contains = TXMLParser::ChildAt(pending.back(), 2);
        pending.pop_back();
        if (!contains)
            continue;
        for (const TXMLNodePtr& child : contains->Children) {
            if (child->Name == "folder")
                pending.push_back(child.get());
            else if (!passes || passes(ChildText(*child, 0)))
                total += ToInt64(ChildText(*child, 2));
        }
    }
    return total;
}

} // namespace kelvo::FtpSnapshot
