#pragma once

#include <functional>
#include <string_view>

namespace kelvo {

// The developers' trace of what the endpoints do, apart from the task logs.
// Lines go to the sink when one is set, else to the file named by
// KELVOBACKUP_TRACE, else nowhere. Safe from any thread.
void DebugTrace(std::string_view text);
void SetDebugTraceSink(std::function<void(std::string_view)> sink);

} // namespace kelvo
