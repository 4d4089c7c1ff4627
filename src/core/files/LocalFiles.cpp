#include "files/LocalFiles.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvo {

bool MakeFolders(const std::string& path) {
    if (path.empty())
        return false;
    for (size_t at = path.find('/', 1); at != std::string::npos; at = path.find('/', at + 1))
        if (::mkdir(path.substr(0, at).c_str(), 0755) != 0 && errno != EEXIST)
            return false;
    struct stat info {};
    return ::mkdir(path.c_str(), 0755) == 0 ||
           (errno == EEXIST && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode));
}

bool RemoveTree(const std::string& path) {
    DIR* dir = ::opendir(path.c_str());
    if (!dir)
        return false;
    std::vector<std::string> folders;
    bool complete = true;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        const std::string child = path + "/" + name;
        struct stat info {};
        if (::lstat(child.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
            folders.push_back(child);
        else if (::unlink(child.c_str()) != 0)
            complete = false;
    }
    ::closedir(dir);
    for (const std::string& folder : folders)
        complete = RemoveTree(folder) && complete;
    return ::rmdir(path.c_str()) == 0 && complete;
}

CopyResult CopyToFile(TStream& stream, const std::string& target,
                      const std::function<void(size_t bytes)>& chunk) {
    stream.Rewind();
    const std::string temporary = target + ".part-" + std::to_string(::getpid());
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return CopyResult::CannotCreate;
    auto buffer = std::make_unique<char[]>(kCopyChunk);
    CopyResult result = CopyResult::Done;
    try {
        for (size_t n;
             result == CopyResult::Done && (n = stream.Read(buffer.get(), kCopyChunk)) > 0;) {
            for (size_t done = 0; done < n;) {
                const ssize_t written = ::write(fd, buffer.get() + done, n - done);
                if (written < 0 && errno == EINTR)
                    continue;
                if (written <= 0) {
                    result = CopyResult::WriteFailed;
                    break;
                }
                done += static_cast<size_t>(written);
            }
            if (result == CopyResult::Done && chunk)
                chunk(n);
        }
    } catch (const std::exception&) {
        result = CopyResult::ReadFailed;
    }
    if (::fsync(fd) != 0 && result == CopyResult::Done)
        result = CopyResult::WriteFailed;
    if (::close(fd) != 0 && result == CopyResult::Done)
        result = CopyResult::WriteFailed;
    if (result == CopyResult::Done && ::rename(temporary.c_str(), target.c_str()) != 0)
        result = CopyResult::CannotCreate;
    if (result != CopyResult::Done)
        ::unlink(temporary.c_str());
    return result;
}

} // namespace kelvo
