#include "support/FtpServer.h"

#include <stdexcept>

namespace kelvo::test {

FtpServer::FtpServer(const std::string& home, bool mlsd) {
    std::vector<std::string> argv = {"/usr/bin/python3", KELVO_TEST_SERVERS "/ftp_server.py", home};
    if (!mlsd)
        argv.push_back("--no-mlsd");
    process_ = std::make_unique<ChildProcess>(argv);
    const std::string line = process_->Line();
    if (line.rfind("READY ", 0) != 0)
        throw std::runtime_error("the FTP server did not start: " + line);
    port_ = std::stoi(line.substr(6));
}

} // namespace kelvo::test
