#pragma once

#include "task/TaskFileValues.h"
#include "task/TmGeneral.h"
#include "task/XMLParser.h"

#include <functional>
#include <variant>

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

// Every stored field with its file name, attributes as "Element.attribute":
// integers, booleans, day numbers (double) and texts.
using Value = std::variant<int64_t, bool, double, std::string>;
void Visit(const TmGeneral& general,
           const std::function<void(const std::string& key, const Value& value)>& visitor);

} // namespace GeneralSection

} // namespace kelvo
