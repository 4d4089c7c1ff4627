#pragma once

#include "task/TmDestination.h"
#include "task/XMLParser.h"

namespace kelvo {

// The DESTINATION element: root (with the endpoint's settings), archive, list
// and the stacks.
namespace DestinationSection {

// archiveNameBase is the task's ArchiveFolderName. Raises
// TaskFileConversionError for a number field that holds no number.
void Read(const TXMLNode& element, TmDestination& destination, const std::string& archiveNameBase);
void Write(const TmDestination& destination, TXMLNode& element);

} // namespace DestinationSection

} // namespace kelvo
