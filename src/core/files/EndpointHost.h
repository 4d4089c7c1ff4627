#pragma once

#include <cstdint>
#include <string>

namespace kelvo {

// What endpoints and transfers report to the run that uses them; the
// operation object implements it. Calls come from the run's worker thread;
// RefreshRow returns once the row was repainted.
class EndpointHost {
public:
    virtual ~EndpointHost() = default;
    // Adds to the run's counter of transferred bytes.
    virtual void Transferred(int64_t bytes) = 0;
    // Counts one transferred file in the run's statistics.
    virtual void FileTransferred() = 0;
    virtual void RefreshRow() = 0;
    // A file for the disc the run writes at its end.
    virtual void AddDiscFile(const std::string& path) = 0;
    // A message box for the user; returns when it was closed.
    virtual void ShowMessage(const std::string& text) = 0;
};

} // namespace kelvo
