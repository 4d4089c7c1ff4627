#include "task/Variant.h"

#include "app/TaskFileFormats.h"

namespace kelvo {

std::string TVariant::ToString() const {
    struct Visitor {
        std::string operator()(std::monostate) const { return {}; }
        std::string operator()(bool b) const { return b ? "True" : "False"; }
        std::string operator()(int64_t i) const { return std::to_string(i); }
        std::string operator()(double d) const { return TaskFileFormats::FormatNumber(d); }
        std::string operator()(const std::string& s) const { return s; }
    };
    return std::visit(Visitor{}, value_);
}

} // namespace kelvo
