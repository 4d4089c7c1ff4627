#pragma once

#include "task/TmSource.h"
#include "task/XMLParser.h"

namespace kelvo {

// The SOURCE element: four fixed children, then "folder" and "file" items.
namespace SourceSection {

// Raises TaskFileConversionError for a "special" code that is no integer.
void Read(const TXMLNode& element, TmSource& source);
void Write(const TmSource& source, TXMLNode& element);

} // namespace SourceSection

} // namespace kelvo
