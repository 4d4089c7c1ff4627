#pragma once

#include "files/EndpointHost.h"

#include <cstdint>
#include <string>

namespace kelvo {

class TfSource;
class TfDestination;
class TzArchive;

// Moves one file between two endpoints and carries its mode and times along.
// Each direction answers the bytes written, 1 for an empty file, 0 when the
// source is missing or anything failed; none raises for a missing file.
class TTransfer {
public:
    // host: the running operation (the disc's file list is kept there).
    TTransfer(EndpointHost* host, int destinationType) : host_(host), type_(destinationType) {}

    int64_t SourceToDestination(TfSource& from, TfDestination& to, const std::string& target,
                                const std::string& source);
    int64_t DestinationToDestination(TfDestination& from, TfDestination& to,
                                     const std::string& target, const std::string& source);
    int64_t DestinationToSource(TfDestination& from, TfSource& to, const std::string& target,
                                const std::string& source);
    int64_t ArchiveToSource(TzArchive& from, TfSource& to, const std::string& target,
                            const std::string& member);
    int64_t SourceToArchive(TzArchive& to, const std::string& source);

private:
    EndpointHost* host_;
    int type_;
};

} // namespace kelvo
