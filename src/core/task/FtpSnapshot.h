#pragma once

#include "task/FTPNodeObject.h"
#include "task/XMLParser.h"

#include <functional>
#include <string>
#include <vector>

namespace kelvo {

// The FTP_SOURCE element: the source folders and files as they were on disk at
// the last save, as a tree of "folder" (name, path, contains) and "file"
// (name, path, size, date) elements below one element per path level.
namespace FtpSnapshot {

// Builds the element from the disk for the given source folders and files.
TXMLNodePtr Build(const std::vector<std::string>& folders, const std::vector<std::string>& files,
                  SystemTime now);

// The folder element for a local path; none when absent.
const TXMLNode* FindFolder(const TXMLNode* snapshot, const std::string& path);
// One entry per child of that folder's contents.
void ListFolder(const TXMLNode* snapshot, const std::string& path,
                std::vector<TFTPNodeObject>& entries);
// The sizes of all files below that folder whose names pass the filter.
int64_t SizeBelow(const TXMLNode* snapshot, const std::string& path,
                  const std::function<bool(const std::string& name)>& passes);

} // namespace FtpSnapshot

} // namespace kelvo
