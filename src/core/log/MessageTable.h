#pragma once

#include <map>
#include <shared_mutex>
#include <string>
#include <string_view>
#include <vector>

namespace kelvo {

// The process-wide table of user-visible texts. Lookups never fail and may run
// on any thread; a language change takes the writer side of the lock.
class MessageTable {
public:
    static constexpr int kDefaultLanguage = 1033;

    static MessageTable& Instance();

    // The key's text as callers use it: translated when the active language has
    // it, decorated with the key's blanks. An unknown key yields the key itself.
    std::string Text(std::string_view key) const;

    // Loads "<folder>/<id>.lng"; a missing file leaves the default texts.
    void SetLanguage(int languageId, const std::string& langFolder);
    // Replaces texts by key from lines "key=text"; returns false when unreadable.
    bool LoadTranslation(const std::string& path);
    void ClearTranslation();
    int Language() const;

    struct Entry {
        std::string key;
        std::string text;
    };
    // Every key of the default table, in table order, with its accessor's result.
    std::vector<Entry> AllTexts() const;

private:
    MessageTable();
    std::string Lookup(std::string_view key) const;

    mutable std::shared_mutex lock_;
    std::map<std::string, size_t, std::less<>> index_;
    std::map<std::string, std::string, std::less<>> translated_;
    int language_ = kDefaultLanguage;
};

// Shorthand for MessageTable::Instance().Text(key).
std::string Msg(std::string_view key);

} // namespace kelvo
