#pragma once

#include "support/ChildProcess.h"

#include <memory>
#include <string>

namespace kelvo::test {

// A pyftpdlib server on 127.0.0.1 serving home to the user "u" (password
// "pw"); stopped when the object goes.
class FtpServer {
public:
    explicit FtpServer(const std::string& home, bool mlsd = true);
    int Port() const { return port_; }

private:
    std::unique_ptr<ChildProcess> process_;
    int port_ = 0;
};

} // namespace kelvo::test
