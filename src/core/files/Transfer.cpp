#include "files/Transfer.h"

#include "files/fDestination.h"
#include "files/fSource.h"
#include "files/zArchive.h"
#include "platform/FileSystem.h"

namespace kelvo {

namespace {

// Writes the stream through the target endpoint and carries mode and times
// along when both sides are local files (a remote path names no local file).
template <typename Target>
int64_t WriteAcross(std::unique_ptr<TStream> stream, Target& to, const std::string& target,
                    const std::string& source, bool bothLocal) {
    if (!stream || stream->Size() < 0)
        return 0;
    const int64_t written = to.Write(*stream, target);
    if (written > 0 && bothLocal)
        CopyFileFacts(target, source);
    return written;
}

} // namespace

int64_t TTransfer::SourceToDestination(TfSource& from, TfDestination& to, const std::string& target,
                                       const std::string& source) {
    if (!from.FileExists(source))
        return 0;
    if (type_ == kOpticalDisc) {
        if (host_)
            host_->AddDiscFile(source);
        return 1;
    }
    return WriteAcross(from.OpenRead(source), to, target, source, to.FKind != kFtpServer);
}

int64_t TTransfer::DestinationToDestination(TfDestination& from, TfDestination& to,
                                            const std::string& target, const std::string& source) {
    if (!from.FileExists(source))
        return 0;
    return WriteAcross(from.OpenRead(source), to, target, source,
                       to.FKind != kFtpServer && from.FKind != kFtpServer);
}

int64_t TTransfer::DestinationToSource(TfDestination& from, TfSource& to, const std::string& target,
                                       const std::string& source) {
    return WriteAcross(from.OpenRead(source), to, target, source, from.FKind != kFtpServer);
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
