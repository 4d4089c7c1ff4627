#pragma once

#include "files/FD.h"

#include <string>

namespace kelvo {

// Hangs the entries a search put into the root's flat lists into a tree: each
// folder and file under the folder whose path is its parent path, or under
// the root when the search did not report that folder. Children come in the
// order of their paths, compared without regard to ASCII case; the flat
// lists are left in that order too.
void BuildTree(TDir& root);

// Path order of the trees: ASCII letters folded.
bool PathLess(const std::string& a, const std::string& b);

// The names from below the root down to folder, joined with "/"; empty for
// the root. withRoot starts with the root's own name.
std::string RelativePath(const TDi& folder, bool withRoot = false);

} // namespace kelvo
