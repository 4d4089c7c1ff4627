#include "log/MessageTable.h"

#include "log/MessageTableDefaults.h"

#include <fstream>
#include <mutex>

namespace kelvo {

namespace {

std::string Decorate(std::string text, Decoration decoration) {
    switch (decoration) {
    case Decoration::Before:
        return " " + text;
    case Decoration::After:
        return text + " ";
    case Decoration::Both:
        return " " + text + " ";
    case Decoration::TwoAfter:
        return text + "  ";
    case Decoration::None:
        break;
    }
    return text;
}

// Translation files write line breaks and backslashes as escapes.
std::string Unescape(std::string_view raw) {
    std::string out;
    out.reserve(raw.size());
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] != '\\' || i + 1 == raw.size()) {
            out += raw[i];
            continue;
        }
        char next = raw[++i];
        switch (next) {
        case 'r':
            out += '\r';
            break;
        case 'n':
            out += '\n';
            break;
        case 't':
            out += '\t';
            break;
        case '\\':
            out += '\\';
            break;
        default:
            out += '\\';
            out += next;
            break;
        }
    }
    return out;
}

} // namespace

MessageTable& MessageTable::Instance() {
    static MessageTable table;
    return table;
}

MessageTable::MessageTable() {
    const auto& defaults = MessageDefaults();
    for (size_t i = 0; i < defaults.size(); ++i)
        index_.emplace(defaults[i].key, i);
}

std::string MessageTable::Lookup(std::string_view key) const {
    auto it = index_.find(key);
    if (it == index_.end())
        return std::string(key);
    const MessageDefault& entry = MessageDefaults()[it->second];
    std::string text = entry.text;
    if (!entry.builtInOnly) {
        std::shared_lock guard(lock_);
        if (auto tr = translated_.find(key); tr != translated_.end())
            text = tr->second;
    }
    return Decorate(std::move(text), entry.decoration);
}

std::string MessageTable::Text(std::string_view key) const {
    return Lookup(key);
}

bool MessageTable::LoadTranslation(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::map<std::string, std::string, std::less<>> texts;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        auto eq = line.find('=');
        if (eq == std::string::npos || eq == 0 || line[0] == ';' || line[0] == '#')
            continue;
        std::string key = line.substr(0, eq);
        if (index_.count(key))
            texts[key] = Unescape(std::string_view(line).substr(eq + 1));
    }
    std::unique_lock guard(lock_);
    translated_ = std::move(texts);
    return true;
}

void MessageTable::SetLanguage(int languageId, const std::string& langFolder) {
    std::string folder = langFolder;
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    if (!LoadTranslation(folder + std::to_string(languageId) + ".lng"))
        ClearTranslation();
    std::unique_lock guard(lock_);
    language_ = languageId;
}

void MessageTable::ClearTranslation() {
    std::unique_lock guard(lock_);
    translated_.clear();
}

int MessageTable::Language() const {
    std::shared_lock guard(lock_);
    return language_;
}

std::vector<MessageTable::Entry> MessageTable::AllTexts() const {
    std::vector<Entry> all;
    for (const MessageDefault& entry : MessageDefaults())
        all.push_back({entry.key, Lookup(entry.key)});
    return all;
}

std::string Msg(std::string_view key) {
    return MessageTable::Instance().Text(key);
}

} // namespace kelvo
