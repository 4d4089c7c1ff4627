#include "files/FD.h"

#include "files/zArchive.h"
#include "log/MessageTable.h"

namespace kelvo {

TFD::~TFD() {
    Unpair();
}

void TFD::SetPath(std::string path) {
    FFullName = std::move(path);
    const size_t slash = FFullName.rfind('/');
    FName = slash == std::string::npos ? FFullName : FFullName.substr(slash + 1);
}

void TFD::SetState(int32_t code) {
    FState = code;
    if (FPartner)
        FPartner->FState = code;
}

void TFD::Pair(TFD& a, TFD& b) {
    a.Unpair();
    b.Unpair();
    a.FPartner = &b;
    b.FPartner = &a;
}

void TFD::Unpair() {
    if (FPartner && FPartner->FPartner == this)
        FPartner->FPartner = nullptr;
    FPartner = nullptr;
}

std::string StateTextOf(int32_t code) {
    switch (code) {
    case 0:
        return {};
    case 1:
        return Msg("_New");
    case 2:
        return Msg("_MissingSource");
    case 3:
        return Msg("_AddedLeft");
    case 4:
        return Msg("_AddedRight");
    case 5:
    case 6:
    case 56:
        return Msg("_Different");
    case 7:
    case 8:
        return Msg("_Updated");
    case 9:
        return Msg("_plusL");
    case 10:
        return Msg("_plusR");
    case 11:
        return Msg("_removedL");
    case 12:
        return Msg("_removedR");
    case 14:
        return Msg("_Excluded");
    case 78:
        return Msg("_Identical");
    default:
        return Msg("_unknown");
    }
}

std::string TFD::StateText() const {
    const bool ownState = (FKind == kFile || FKind == kSingleFile) && Side() == 1;
    if (ownState)
        return StateTextOf(FState);
    return FPartner ? StateTextOf(FPartner->FState) : std::string();
}

void TFi::SetPath(std::string path) {
    TFD::SetPath(std::move(path));
    const size_t dot = Name().rfind('.');
    FExtension = dot == std::string::npos ? std::string() : Name().substr(dot);
}

TDir::TDir(int side, TDir* linked) : TDi(side, this, kRootFolder), FLinked(linked) {}

TDir::~TDir() {
    ClearFound();
}

void TDir::ClearFound() {
    FSubDirs.clear();
    FFiles.clear();
    FFoundFiles.clear();
    FFoundDirs.clear();
}

TFis::TFis(int side) : TFi(side, nullptr, kSingleFile) {}

TFis::~TFis() = default;

} // namespace kelvo
