#include "platform/posix/XdgAutostartEntry.h"

#include "platform/Environment.h"
#include "platform/FileIO.h"

#include <unistd.h>

namespace kelvo {

XdgAutostartEntry::XdgAutostartEntry(std::string file) : file_(std::move(file)) {}

std::string XdgAutostartEntry::File() const {
    return file_.empty() ? DefaultFile() : file_;
}

std::string XdgAutostartEntry::DefaultFile() {
    return XdgConfigHome() + "/autostart/kelvobackup.desktop";
}

std::string XdgAutostartEntry::ExecValue(const std::string& executablePath) {
    // Inside a quoted argument ", `, $ and \ take a backslash; the string
    // escape of the file format then doubles every backslash.
    std::string quoted = "\"";
    for (char c : executablePath) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    quoted += "\" /startup";
    std::string value;
    for (char c : quoted) {
        value += c;
        if (c == '\\')
            value += '\\';
    }
    return value;
}

bool XdgAutostartEntry::Register(const std::string& executablePath) {
    const std::string file = File();
    const std::string folder = file.substr(0, file.rfind('/'));
    if (!CreateFolders(folder))
        return false;
    const std::string text = "[Desktop Entry]\n"
                             "Type=Application\n"
                             "Name=Kelvo Backup\n"
                             "Comment=Runs the backup tasks that are due at logon\n"
                             "Exec=" +
                             ExecValue(executablePath) +
                             "\n"
                             "Terminal=false\n"
                             "X-GNOME-Autostart-enabled=true\n";
    return WriteFileAtomically(file, text);
}

bool XdgAutostartEntry::Unregister() {
    const std::string file = File();
    return ::unlink(file.c_str()) == 0 || !IsFile(file);
}

bool XdgAutostartEntry::IsRegistered() {
    return IsFile(File());
}

std::string XdgAutostartEntry::Command() {
    auto text = ReadWholeFile(File());
    if (!text)
        return {};
    const size_t start = text->find("\nExec=");
    if (start == std::string::npos)
        return {};
    const size_t end = text->find('\n', start + 1);
    return text->substr(start + 6, end == std::string::npos ? end : end - start - 6);
}

AutostartEntry& TheAutostartEntry() {
    static XdgAutostartEntry entry("");
    return entry;
}

} // namespace kelvo
