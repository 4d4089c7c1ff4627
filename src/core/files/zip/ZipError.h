#pragma once

#include <stdexcept>

namespace kelvo {

// An archive that cannot be read or written as asked: the text says what is wrong.
struct ZipError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The code a cancelled build reports, so that callers tell a stop from a failure.
constexpr int kZipCancelledCode = 10120;

// Building an archive was stopped on request; nothing of it is left behind.
struct ZipCancelled : ZipError {
    ZipCancelled() : ZipError("The operation was cancelled") {}
    int Code() const { return kZipCancelledCode; }
};

} // namespace kelvo
