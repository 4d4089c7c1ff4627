#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace kelvo {

// A readable stream of bytes an endpoint writes somewhere.
class TStream {
public:
    virtual ~TStream() = default;
    virtual int64_t Size() const = 0;
    virtual void Rewind() = 0;
    // Up to size bytes; 0 at the end. Raises on a read error.
    virtual size_t Read(void* buffer, size_t size) = 0;
};

// A file opened for reading.
class FileReadStream : public TStream {
public:
    // None when the file cannot be opened.
    static std::unique_ptr<FileReadStream> Open(const std::string& path);
    ~FileReadStream() override;
    int64_t Size() const override;
    void Rewind() override;
    size_t Read(void* buffer, size_t size) override;

private:
    FileReadStream(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
    int fd_;
    std::string path_;
};

// Bytes in memory (a downloaded file, an archive member).
class MemoryStream : public TStream {
public:
    explicit MemoryStream(std::string data) : data_(std::move(data)) {}
    int64_t Size() const override { return static_cast<int64_t>(data_.size()); }
    void Rewind() override { at_ = 0; }
    size_t Read(void* buffer, size_t size) override;
    const std::string& Data() const { return data_; }

private:
    std::string data_;
    size_t at_ = 0;
};

} // namespace kelvo
