// kelvobackup-sfx: the stub of a self-extracting archive. The archive is
// appended to this program; run as "A.exe [FOLDER]" it extracts every member
// into FOLDER (the current folder when none is given), asking for the
// password on the terminal when members are encrypted.
#include "files/zip/ZipReader.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

using namespace kelvo;

namespace {

// One line from the terminal without echo; from standard input when there is
// no terminal.
std::string AskPassword() {
    const int tty = ::open("/dev/tty", O_RDWR | O_CLOEXEC);
    const int in = tty >= 0 ? tty : STDIN_FILENO;
    termios saved{};
    const bool quiet = ::tcgetattr(in, &saved) == 0;
    if (quiet) {
        termios silent = saved;
        silent.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        ::tcsetattr(in, TCSAFLUSH, &silent);
    }
    const char prompt[] = "Password: ";
    if (::write(tty >= 0 ? tty : STDERR_FILENO, prompt, sizeof prompt - 1) < 0) {
    }
    std::string line;
    char c;
    while (::read(in, &c, 1) == 1 && c != '\n')
        line += c;
    if (quiet) {
        ::tcsetattr(in, TCSAFLUSH, &saved);
        if (::write(tty >= 0 ? tty : STDERR_FILENO, "\n", 1) < 0) {
        }
    }
    if (tty >= 0)
        ::close(tty);
    return line;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 2 || (argc == 2 && argv[1][0] == '-')) {
        std::fprintf(stderr, "usage: %s [FOLDER]\n", argv[0]);
        return 64;
    }
    const std::string folder = argc == 2 ? argv[1] : ".";
    try {
        const ZipReader archive("/proc/self/exe");
        bool encrypted = false;
        for (const ZipMember& member : archive.Members())
            encrypted = encrypted || member.Encrypted;
        const std::string password = encrypted ? AskPassword() : "";
        if (::mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST)
            throw ZipError("Cannot create the folder " + folder + ": " + std::strerror(errno));
        archive.ExtractAll(folder, password);
        std::printf("%zu members extracted into %s\n", archive.Members().size(), folder.c_str());
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 2;
    }
}
