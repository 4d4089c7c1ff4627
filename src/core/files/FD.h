#pragma once

#include "app/DateTime.h"
#include "files/Connection.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kelvo {

class KBT;
class TfSource;
class TfDestination;
class TzArchive;

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

// Comparison states of entries; the synchronization assigns them.
enum EntryState : int32_t {
    kStateNone = 0,
    kStateNew = 1,
    kStateMissingSource = 2,
    kStateAddedLeft = 3,
    kStateAddedRight = 4,
    kStateExcluded = 14,
    kStateIdentical = 78,
};

// An entry of a file tree. Partners are mutual and cleared when either dies.
class TFD {
public:
    explicit TFD(int kind) : FKind(kind) {}
    virtual ~TFD();
    TFD(const TFD&) = delete;
    TFD& operator=(const TFD&) = delete;

    int32_t FState = kStateNone;
    KBT* FTask = nullptr; // the owning task, not owned
    int32_t FKind;
    TFD* FPartner = nullptr;
    bool FVirtual = false; // made by a size-only pass, not backed by a copy
    int64_t FSize = 0;     // folders: the sum of their direct files; -1: vanished
    TDateTime FTime = 0;   // last write, local time
    uint64_t FCrc = 0;     // signature: CRC-32 of small files, else the size

    const std::string& FullName() const { return FFullName; }
    const std::string& Name() const { return FName; }
    // Sets the path and its name: the text after the last "/".
    virtual void SetPath(std::string path);

    // Sets the state here and on the partner.
    void SetState(int32_t code);
    // A file or single-file item of side 1 shows its own state; every other
    // entry its partner's, and nothing without one.
    std::string StateText() const;
    static void Pair(TFD& a, TFD& b);
    void Unpair();
    virtual int Side() const { return 0; }

private:
    std::string FFullName, FName;
};

// The text of a comparison state.
std::string StateTextOf(int32_t code);

class TDi;
class TDir;

// A file (side 1 source, 2 destination).
class TFi : public TFD {
public:
    explicit TFi(int side, TDir* root = nullptr, int kind = kFile)
        : TFD(kind), FSide(side), FRoot(root) {}
    int FSide;
    TDir* FRoot;            // the root whose search found it
    TDi* FParent = nullptr; // the folder it hangs under
    // The extension the views choose the icon by ("" for none).
    std::string FExtension;
    void SetPath(std::string path) override;
    int Side() const override { return FSide; }
};

// The archive settings of a destination.
class TAr : public TFi {
public:
    explicit TAr(TDir* root = nullptr) : TFi(2, root) {}
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
    explicit TDi(int side, TDir* root = nullptr, int kind = kFolder)
        : TFD(kind), FSide(side), FRoot(root) {}
    int FSide;
    TDir* FRoot;
    TDi* FParent = nullptr;
    std::vector<TDi*> FSubDirs; // not owned: the root's flat lists own them
    std::vector<TFi*> FFiles;
    int Side() const override { return FSide; }
};

// How a root reaches its place: the endpoint's kind and what it needs to connect.
struct EndpointSettings {
    int Kind = kLocalFolder;
    std::string UserName, Password;   // LAN share
    std::shared_ptr<TConnection> Ftp; // FTP server
};

// A folder the user chose as a source, or the destination folder. It owns the
// entries its last search found, its archive, and its endpoint.
class TDir : public TDi {
public:
    explicit TDir(int side, TDir* linked = nullptr);
    ~TDir() override;
    bool FOwnsEndpoint = true;
    TDir* FLinked; // the model's root a working root was made for
    std::string FInclusionMasks, FExclusionMasks;
    EndpointSettings Endpoint;
    std::shared_ptr<TfSource> FSource;           // side 1
    std::shared_ptr<TfDestination> FDestination; // side 2
    std::unique_ptr<TzArchive> FArchive;
    std::vector<std::unique_ptr<TDi>> FFoundDirs;
    std::vector<std::unique_ptr<TFi>> FFoundFiles;

    // Destroys every entry the last search found.
    void ClearFound();
};

// A single file the user chose as a source item; special sources (mail-client
// stores) carry their kind code and two texts of their own.
class TFis : public TFi {
public:
    explicit TFis(int side);
    ~TFis() override;
    bool FOwnsEndpoint = true;
    std::shared_ptr<TfSource> FSource;
    std::shared_ptr<TfDestination> FDestination;
    EndpointSettings Endpoint;
    int64_t Special = 0;
    std::string Info, Info1;
};

// A pairing record used while a tree is built.
struct TFiDi {
    int Kind = 0; // 1 file, 2 folder
    std::string Path;
    TFi* File = nullptr;
    TDi* Folder = nullptr;
};

} // namespace kelvo
