#include "files/FD.h"

namespace kelvo {

void TFD::SetPath(std::string path) {
    FFullName = std::move(path);
    const size_t slash = FFullName.rfind('/');
    FName = slash == std::string::npos ? FFullName : FFullName.substr(slash + 1);
}

} // namespace kelvo
