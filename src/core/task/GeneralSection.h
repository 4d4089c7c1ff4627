#pragma once

#include "task/TaskFileValues.h"
#include "task/TmGeneral.h"
#include "task/XMLParser.h"

namespace kelvo {

// The GENERAL element: 46 children in a fixed order, read by position.
namespace GeneralSection {

constexpr size_t kChildCount = 46;

// Fills general from the children present; element names are not compared,
// attributes are found by name ignoring case. Raises TaskFileConversionError.
void Read(const TXMLNode& element, TmGeneral& general);
// Appends the 46 children to element. WorkingNow is written false and the
// version as the current one; forceScheduler writes EnabledScheduler true.
void Write(const TmGeneral& general, TXMLNode& element, bool forceScheduler);

} // namespace GeneralSection

} // namespace kelvo
