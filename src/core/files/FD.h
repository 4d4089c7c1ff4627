#pragma once

#include "app/DateTime.h"
#include "files/Connection.h"

#include <cstdint>
#include <memory>
#include <string>

namespace kelvo {

// Where an endpoint reaches: the destination kinds of a task, also used for
// source roots (local or LAN).
enum EndpointKind : int {
    kRemovableDisk = 0,
    kLocalFolder = 1,
    kLanFolder = 2,
    kFtpServer = 3,
    kOpticalDisc = 4,
};

enum EntryKind : int { kRootFolder = 0, kSingleFile = 1, kFolder = 2, kFile = 3 };

// An entry of a file tree: a path and its name. The comparison state, partner,
// sizes and times of a run come with the file layer.
class TFD {
public:
    explicit TFD(int kind) : FKind(kind) {}
    virtual ~TFD() = default;

    int FState = 0;
    int FKind;

    const std::string& FullName() const { return FFullName; }
    const std::string& Name() const { return FName; }
    // Sets the path and its name: the text after the last "/".
    void SetPath(std::string path);

private:
    std::string FFullName, FName;
};

// A file (side 1 source, 2 destination).
class TFi : public TFD {
public:
    explicit TFi(int side, int kind = kFile) : TFD(kind), FSide(side) {}
    int FSide;
};

// The archive settings of a destination.
class TAr : public TFi {
public:
    TAr() : TFi(2) {}
    std::string FArchiveName; // empty when the destination is no archive
    std::string FPassword;    // in clear; the task file stores it encoded
    int64_t FQuality = 9;
    std::string FSecurity; // "", "Zip" or "AES"
    bool FSelfExtracting = false;
    bool FSplit = false;
    uint64_t FSplitSize = 0;
    std::string FCryName;
};

// A folder.
class TDi : public TFD {
public:
    explicit TDi(int side, int kind = kFolder) : TFD(kind), FSide(side) {}
    int FSide;
};

// How a root reaches its place: the endpoint's kind and what it needs to connect.
struct EndpointSettings {
    int Kind = kLocalFolder;
    std::string UserName, Password;   // LAN share
    std::shared_ptr<TConnection> Ftp; // FTP server
};

// A folder the user chose as a source, or the destination folder.
class TDir : public TDi {
public:
    explicit TDir(int side) : TDi(side, kRootFolder) {}
    std::string FInclusionMasks, FExclusionMasks;
    EndpointSettings Endpoint;
};

// A single file the user chose as a source item; special sources (mail-client
// stores) carry their kind code and two texts of their own.
class TFis : public TFi {
public:
    explicit TFis(int side) : TFi(side, kSingleFile) {}
    EndpointSettings Endpoint;
    int64_t Special = 0;
    std::string Info, Info1;
};

} // namespace kelvo
