#include "files/SpaceRequired.h"

#include "files/FD.h"

#include <stdexcept>

namespace kelvo {

namespace {

int64_t RoundedKB(uint64_t bytes) {
    return static_cast<int64_t>((bytes + 512) / 1024);
}

} // namespace

bool TSpaceRequiredCollection::Require(const std::string& path, int64_t bytes) {
    const std::string drive = systems_.DeviceOf(path);
    TSpaceRequiredObj* record = nullptr;
    for (TSpaceRequiredObj& existing : records_)
        if (existing.FDrive == drive)
            record = &existing;
    if (!record) {
        records_.push_back({drive, 0, 0});
        record = &records_.back();
        if (const auto free = systems_.FreeBytes(path); free && !drive.empty())
            record->FAvailableKB = RoundedKB(*free);
    }
    record->FRequiredKB += RoundedKB(static_cast<uint64_t>(std::max<int64_t>(bytes, 0)));
    return record->FRequiredKB < record->FAvailableKB;
}

void CheckSpace(TSpaceRequiredCollection& space, int destinationType, const std::string& path,
                int64_t bytes) {
    if (destinationType == kOpticalDisc || path.empty() || path.rfind("//", 0) == 0)
        return;
    if (!space.Require(path, bytes))
        throw std::runtime_error("Not enough free space on destination");
}

} // namespace kelvo
