#include "platform/posix/SocketSessionGuard.h"

#include "platform/Environment.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace kelvo {

namespace {

constexpr char kShowRequest[] = "show\n";

bool FillAddress(const std::string& path, sockaddr_un& address) {
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

// A private folder of ours: created 0700, and refused when someone else owns it.
bool PrivateFolder(const std::string& folder) {
    ::mkdir(folder.c_str(), 0700);
    struct stat info {};
    return ::lstat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::geteuid() && (info.st_mode & 0077) == 0;
}

} // namespace

SocketSessionGuard::SocketSessionGuard(std::string folder, std::string name) {
    if (folder.empty()) // no private folder: no guard, and nobody to wake
        return;
    socketPath_ = folder + "/" + name;
    lockPath_ = socketPath_ + ".lock";
}

SocketSessionGuard::~SocketSessionGuard() {
    if (watcher_.joinable()) {
        [[maybe_unused]] ssize_t n = ::write(stopPipe_[1], "x", 1);
        watcher_.join();
    }
    for (int fd : {stopPipe_[0], stopPipe_[1], listenFd_})
        if (fd >= 0)
            ::close(fd);
    if (lockFd_ >= 0) {
        ::unlink(socketPath_.c_str());
        ::close(lockFd_); // releases the flock
    }
}

std::string SocketSessionGuard::DefaultFolder() {
    const std::string runtime = XdgRuntimeDir();
    if (!runtime.empty())
        return runtime;
    const std::string folder = SystemTempFolder() + "/kelvobackup-" + std::to_string(::geteuid());
    return PrivateFolder(folder) ? folder : "";
}

bool SocketSessionGuard::TryBecomeResident() {
    if (lockFd_ >= 0)
        return true;
    if (lockPath_.empty())
        return false;
    const int fd = ::open(lockPath_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    lockFd_ = fd;
    sockaddr_un address{};
    if (!FillAddress(socketPath_, address))
        return true;               // resident, but nobody can wake us
    ::unlink(socketPath_.c_str()); // left by a process that died
    listenFd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const mode_t previous = ::umask(0177);
    const bool bound = listenFd_ >= 0 && ::bind(listenFd_, reinterpret_cast<sockaddr*>(&address),
                                                sizeof address) == 0;
    ::umask(previous);
    if (!bound || ::listen(listenFd_, 8) != 0) {
        if (listenFd_ >= 0)
            ::close(listenFd_);
        listenFd_ = -1;
    }
    return true;
}

bool SocketSessionGuard::WakeResident() {
    sockaddr_un address{};
    if (!FillAddress(socketPath_, address))
        return false;
    // The resident may hold the lock and not listen yet: try for a moment.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (true) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0)
            return false;
        if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
            const bool sent = ::send(fd, kShowRequest, sizeof kShowRequest - 1, MSG_NOSIGNAL) > 0;
            ::close(fd);
            return sent;
        }
        ::close(fd);
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        ::usleep(20000);
    }
}

void SocketSessionGuard::StartWatching(std::function<void()> onWake) {
    if (listenFd_ < 0 || watcher_.joinable() || ::pipe2(stopPipe_, O_CLOEXEC) != 0)
        return;
    watcher_ = std::thread([this, onWake = std::move(onWake)] { Watch(onWake); });
}

void SocketSessionGuard::Watch(std::function<void()> onWake) {
    while (true) {
        pollfd fds[2] = {{listenFd_, POLLIN, 0}, {stopPipe_[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (fds[1].revents)
            return;
        const int client = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            continue;
        char request[16] = {};
        pollfd in{client, POLLIN, 0};
        ssize_t n = ::poll(&in, 1, 1000) > 0 ? ::recv(client, request, sizeof request - 1, 0) : 0;
        ::close(client);
        if (n > 0 && std::strncmp(request, kShowRequest, 4) == 0)
            onWake();
    }
}

std::unique_ptr<SessionGuard> MakeSessionGuard() {
    return std::make_unique<SocketSessionGuard>(SocketSessionGuard::DefaultFolder(),
                                                "KelvoBackupSessionGuard");
}

} // namespace kelvo
