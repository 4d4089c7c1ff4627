#include "platform/RegistryStore.h"

#include <cstring>

namespace kelvo {

namespace {

const char* const kRootNames[] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER",   "HKEY_LOCAL_MACHINE",
                                  "HKEY_USERS",        "HKEY_CURRENT_CONFIG", "HKEY_DYN_DATA"};

template <typename T> std::string LittleEndian(T value) {
    std::string bytes(sizeof(T), '\0');
    for (size_t i = 0; i < sizeof(T); ++i)
        bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    return bytes;
}

template <typename T> T FromLittleEndian(const std::string& bytes) {
    T value = 0;
    for (size_t i = 0; i < sizeof(T); ++i)
        value |= static_cast<T>(static_cast<unsigned char>(bytes[i])) << (8 * i);
    return value;
}

} // namespace

RegValue RegValue::Text(std::string name, std::string_view text, uint32_t type) {
    return {std::move(name), type, std::string(text)};
}

RegValue RegValue::DWord(std::string name, uint32_t value) {
    return {std::move(name), RegType::DWord, LittleEndian(value)};
}

RegValue RegValue::QWord(std::string name, uint64_t value) {
    return {std::move(name), RegType::QWord, LittleEndian(value)};
}

RegValue RegValue::Binary(std::string name, std::string bytes) {
    return {std::move(name), RegType::Binary, std::move(bytes)};
}

RegValue RegValue::MultiText(std::string name, const std::vector<std::string>& texts) {
    std::string data;
    for (const std::string& text : texts) {
        data += text;
        data += '\0';
    }
    return {std::move(name), RegType::MultiString, std::move(data)};
}

std::optional<std::string> RegValue::AsText() const {
    if (Type != RegType::String && Type != RegType::ExpandString)
        return std::nullopt;
    return Data.substr(0, Data.find('\0'));
}

std::optional<uint32_t> RegValue::AsDWord() const {
    if (Type == RegType::DWord && Data.size() == 4)
        return FromLittleEndian<uint32_t>(Data);
    if (Type == RegType::DWordBigEndian && Data.size() == 4)
        return __builtin_bswap32(FromLittleEndian<uint32_t>(Data));
    return std::nullopt;
}

std::optional<uint64_t> RegValue::AsQWord() const {
    if (Type != RegType::QWord || Data.size() != 8)
        return std::nullopt;
    return FromLittleEndian<uint64_t>(Data);
}

std::optional<std::vector<std::string>> RegValue::AsMultiText() const {
    if (Type != RegType::MultiString)
        return std::nullopt;
    std::vector<std::string> texts;
    size_t start = 0;
    while (start < Data.size()) {
        size_t end = Data.find('\0', start);
        if (end == std::string::npos)
            end = Data.size();
        if (end == start) // a double terminator ends the list
            break;
        texts.push_back(Data.substr(start, end - start));
        start = end + 1;
    }
    return texts;
}

std::string RootName(RegRoot root) {
    return kRootNames[static_cast<int>(root)];
}

std::optional<RegRoot> RootFromName(std::string_view name) {
    for (int i = 0; i < 6; ++i)
        if (name == kRootNames[i])
            return static_cast<RegRoot>(i);
    return std::nullopt;
}

std::optional<std::string> RegistryStore::ReadText(RegRoot root, std::string_view path,
                                                   std::string_view name) {
    auto value = GetValue(root, path, name);
    return value ? value->AsText() : std::nullopt;
}

std::optional<int64_t> RegistryStore::ReadInteger(RegRoot root, std::string_view path,
                                                  std::string_view name) {
    auto value = GetValue(root, path, name);
    if (!value)
        return std::nullopt;
    if (auto dword = value->AsDWord())
        return static_cast<int32_t>(*dword);
    if (auto qword = value->AsQWord())
        return static_cast<int64_t>(*qword);
    return std::nullopt;
}

bool RegistryStore::WriteValueCreatingKey(RegRoot root, std::string_view path,
                                          const RegValue& value) {
    return CreateKey(root, path) && SetValue(root, path, value);
}

} // namespace kelvo
