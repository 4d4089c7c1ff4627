#pragma once

#include "app/DateTime.h"
#include "task/KBT.h"

#include <string>

namespace kelvo {

// The task file: one XML document with GENERAL, SOURCE, DESTINATION and, when
// present, FTP_SOURCE, REGISTRY and PLUGINS.
namespace TaskFile {

// Reads path into task. A missing or damaged file leaves the defaults; a
// number field that holds no number ends the reading with what was read kept.
// Answers the FTP_SOURCE element, if the file has one.
TXMLNodePtr Read(const std::string& path, KBT& task);
// The document of task; an FTP destination gets its snapshot built from the disk.
TXMLParser Build(KBT& task, bool forceScheduler, SystemTime now, TXMLNodePtr& snapshot);

} // namespace TaskFile

} // namespace kelvo
