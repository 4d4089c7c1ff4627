#include "files/Transfer.h"

#include "files/fDestination.h"
#include "files/fSource.h"
#include "files/zArchive.h"
#include "platform/FileSystem.h"

namespace kelvo {

int64_t TTransfer::SourceToDestination(TfSource& from, TfDestination& to, const std::string& target,
                                       const std::string& source) {
    if (!from.FileExists(source))
        return 0;
    if (type_ == kOpticalDisc) {
        if (host_)
            host_->AddDiscFile(source);
        return 1;
    }
    const auto stream = from.OpenRead(source);
    if (!stream || stream->Size() < 0)
        return 0;
    const int64_t written = to.Write(*stream, target);
    if (written > 0 && to.FKind != kFtpServer) // a remote path names no local file
        CopyFileFacts(target, source);
    return written;
}

int64_t TTransfer::DestinationToDestination(TfDestination& from, TfDestination& to,
                                            const std::string& target, const std::string& source) {
    if (!from.FileExists(source))
        return 0;
    const auto stream = from.OpenRead(source);
    if (!stream || stream->Size() < 0)
        return 0;
    const int64_t written = to.Write(*stream, target);
    if (written > 0 && to.FKind != kFtpServer && from.FKind != kFtpServer)
        CopyFileFacts(target, source);
    return written;
}

int64_t TTransfer::DestinationToSource(TfDestination& from, TfSource& to, const std::string& target,
                                       const std::string& source) {
    const auto stream = from.OpenRead(source);
    if (!stream || stream->Size() < 0)
        return 0;
    const int64_t written = to.Write(*stream, target);
    if (written > 0 && from.FKind != kFtpServer)
        CopyFileFacts(target, source);
    return written;
}

int64_t TTransfer::ArchiveToSource(TzArchive& from, TfSource& to, const std::string& target,
                                   const std::string& member) {
    if (!from.HasMember(member))
        return 0;
    try {
        MemoryStream stream(from.ReadMember(member));
        const int64_t written = to.Write(stream, target);
        if (written > 0)
            from.CopyMemberFacts(target, member);
        return written;
    } catch (const std::exception&) {
        return 0;
    }
}

int64_t TTransfer::SourceToArchive(TzArchive& to, const std::string& source) {
    return to.AddFile(source);
}

} // namespace kelvo
