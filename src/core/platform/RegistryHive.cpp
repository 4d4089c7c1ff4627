#include "platform/RegistryHive.h"

#include "util/TextSplit.h"

#include <strings.h>

namespace kelvo {

namespace {

constexpr std::string_view kHeader = "KelvoRegistry 1";

std::string Escape(std::string_view raw) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    out.reserve(raw.size());
    for (char ch : raw) {
        const auto c = static_cast<unsigned char>(ch);
        if (c <= 0x20 || c == '%' || c == 0x7F) {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 0xF];
        } else {
            out += ch;
        }
    }
    return out;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

bool Unescape(std::string_view text, std::string& out) {
    out.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        const int high = i + 1 < text.size() ? HexDigit(text[i + 1]) : -1;
        const int low = i + 2 < text.size() ? HexDigit(text[i + 2]) : -1;
        if (high < 0 || low < 0)
            return false;
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return true;
}

std::vector<std::string_view> SplitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    size_t start = 0;
    while (true) {
        size_t space = line.find(' ', start);
        fields.push_back(
            line.substr(start, space == std::string_view::npos ? space : space - start));
        if (space == std::string_view::npos)
            return fields;
        start = space + 1;
    }
}

void SerializeKey(const RegistryHive::Key& key, const std::string& path, std::string& out) {
    out += "K " + Escape(path) + "\n";
    for (const RegValue& value : key.Values)
        out += "V " + std::to_string(value.Type) + " " + Escape(value.Name) + " " +
               Escape(value.Data) + "\n";
    for (const auto& [name, sub] : key.SubKeys)
        SerializeKey(*sub, path.empty() ? sub->Name : path + "\\" + sub->Name, out);
}

} // namespace

bool RegistryHive::CaseLess::operator()(std::string_view a, std::string_view b) const {
    const int common = ::strncasecmp(a.data(), b.data(), std::min(a.size(), b.size()));
    return common != 0 ? common < 0 : a.size() < b.size();
}

std::vector<std::string> RegistryHive::SplitPath(std::string_view path) {
    return SplitNonEmpty(path, '\\');
}

RegistryHive::Key* RegistryHive::Find(std::string_view path) {
    Key* key = &root_;
    for (const std::string& part : SplitPath(path)) {
        auto it = key->SubKeys.find(part);
        if (it == key->SubKeys.end())
            return nullptr;
        key = it->second.get();
    }
    return key;
}

RegistryHive::Key* RegistryHive::Create(std::string_view path) {
    Key* key = &root_;
    for (const std::string& part : SplitPath(path)) {
        auto& slot = key->SubKeys[part];
        if (!slot) {
            slot = std::make_unique<Key>();
            slot->Name = part;
        }
        key = slot.get();
    }
    return key;
}

bool RegistryHive::Delete(std::string_view path) {
    std::vector<std::string> parts = SplitPath(path);
    if (parts.empty())
        return false; // a root cannot be deleted
    const std::string last = parts.back();
    parts.pop_back();
    Key* parent = &root_;
    for (const std::string& part : parts) {
        auto it = parent->SubKeys.find(part);
        if (it == parent->SubKeys.end())
            return false;
        parent = it->second.get();
    }
    return parent->SubKeys.erase(last) > 0;
}

RegValue* RegistryHive::FindValue(Key& key, std::string_view name) {
    for (RegValue& value : key.Values)
        if (value.Name.size() == name.size() &&
            ::strncasecmp(value.Name.data(), name.data(), name.size()) == 0)
            return &value;
    return nullptr;
}

std::string RegistryHive::Serialize() const {
    std::string out = std::string(kHeader) + "\n";
    SerializeKey(root_, "", out);
    return out;
}

RegistryHive RegistryHive::Parse(std::string_view text) {
    RegistryHive hive;
    size_t start = 0;
    Key* current = &hive.root_;
    bool first = true;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        if (first) {
            first = false;
            if (line != kHeader)
                return hive;
            continue;
        }
        const std::vector<std::string_view> f = SplitFields(line);
        std::string name, data;
        if (f.size() == 2 && f[0] == "K" && Unescape(f[1], name)) {
            current = hive.Create(name);
        } else if (f.size() == 4 && f[0] == "V" && Unescape(f[2], name) && Unescape(f[3], data)) {
            uint32_t type = 0;
            bool numeric = !f[1].empty() && f[1].size() <= 10;
            for (char c : f[1])
                numeric = numeric && c >= '0' && c <= '9';
            if (!numeric)
                continue;
            const unsigned long long code = std::stoull(std::string(f[1]));
            if (code > 0xFFFFFFFFull)
                continue;
            type = static_cast<uint32_t>(code);
            if (RegValue* existing = FindValue(*current, name))
                *existing = {name, type, data};
            else
                current->Values.push_back({name, type, data});
        }
    }
    return hive;
}

} // namespace kelvo
