#include "app/Backups.h"

#include "log/MessageTable.h"
#include "platform/Environment.h"
#include "platform/FileIO.h"
#include "task/TaskName.h"
#include "task/XMLParser.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>
#include <unistd.h>

namespace kelvo {

namespace {

// The file name without ".kbt", removed wherever it stands, ignoring case.
std::string TaskNameOfPath(const std::string& path) {
    std::string name = path.substr(path.rfind('/') + 1);
    for (size_t i = 0; i + 4 <= name.size();) {
        std::string piece = name.substr(i, 4);
        std::transform(piece.begin(), piece.end(), piece.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (piece == ".kbt")
            name.erase(i, 4);
        else
            ++i;
    }
    return name;
}

std::string FolderOfPath(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

bool IsNumber(const std::string& text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

} // namespace

TBackups::TBackups(std::string folder, std::string logonUser, TaskEnvironment environment,
                   TaskRegistryHost& host, TOptions* options)
    : FFolder(WithTrailingSlash(std::move(folder))), logonUser_(std::move(logonUser)),
      environment_(std::move(environment)), host_(host), options_(options) {
    FProjectFile = ProjectFileToRead();
}

std::string TBackups::PerUserProjectFile() const {
    return FFolder + logonUser_ + "_KelvoBackup.prj";
}

std::string TBackups::ProjectFileToRead() const {
    return IsFile(PerUserProjectFile()) ? PerUserProjectFile() : FFolder + "KelvoBackup.prj";
}

std::string TBackups::CounterFile() const {
    return FFolder + logonUser_ + "Counter.txt";
}

void TBackups::LoadProject(bool show) {
    FProjectFile = ProjectFileToRead();
    TXMLParser parser;
    parser.FileName = FProjectFile;
    parser.LoadFromFile();
    const TXMLNode* backups = parser.FindNode("", {"XML", "backups"});
    if (!backups)
        return;
    const std::string element = Msg("_Backup");
    for (const TXMLNodePtr& child : backups->Children)
        if (child->Name == element) {
            const std::string path = child->Value.ToString();
            show ? AddAndShow(path) : Add(path);
        }
}

bool TBackups::SaveProject() {
    TXMLParser parser;
    parser.FileName = PerUserProjectFile();
    auto xml = std::make_shared<TXMLNode>("XML");
    TXMLNode* backups = TXMLParser::AddChild(xml.get(), "backups", "");
    for (const auto& entry : FItems)
        TXMLParser::AddChild(backups, Msg("_Backup"), entry->Task().FileName());
    parser.Nodes.push_back(xml);
    FProjectFile = parser.FileName;
    return parser.SaveToFile();
}

TBackup* TBackups::Add(const std::string& path) {
    if (!IsFile(path))
        return nullptr;
    try {
        FItems.push_back(
            std::make_unique<TBackup>(FolderOfPath(path), TaskNameOfPath(path), environment_));
    } catch (const std::exception& error) {
        throw std::runtime_error(std::string("Add backup exception!\r\nReason: ") + error.what() +
                                 ".");
    }
    return FItems.back().get();
}

TBackup* TBackups::AddAndShow(const std::string& path) {
    TBackup* entry = Add(path);
    if (entry)
        host_.ShowEntry(*entry);
    return entry;
}

TBackup* TBackups::Import(const std::string& path) {
    TBackup* entry = AddAndShow(path);
    SaveProject();
    return entry;
}

TBackup* TBackups::ImportTaskFile(const std::string& path) {
    if (!IsFile(path))
        throw std::runtime_error("Cannot read the task file " + path + ".");
    const std::string fileName = path.substr(path.rfind('/') + 1);
    ValidateTaskName(TaskNameOfPath(path));
    // The name stored in the file decides whether the task is known already.
    TXMLParser parser;
    parser.FileName = path;
    parser.LoadFromFile();
    const TXMLNode* stored = TXMLParser::ChildAt(parser.FindNode("", {"XML", "GENERAL"}), 3);
    const std::string name = stored ? stored->Value.ToString() : TaskNameOfPath(path);
    ValidateTaskName(name);
    for (const auto& entry : FItems)
        if (entry->Task().FGeneral.Name == name)
            throw std::runtime_error("There is allready a backup task with the same name (" + name +
                                     ")!");
    const std::string target = environment_.TasksFolder + fileName;
    if (target != path) {
        auto data = ReadWholeFile(path);
        if (!data || !WriteFileAtomically(target, *data))
            throw std::runtime_error("Cannot copy the task file into " + target + ".");
    }
    TBackup* entry = Import(target);
    if (entry)
        entry->Task().FGeneral.bCount = 1; // its restore commands are available at once
    return entry;
}

TBackup* TBackups::Find(const std::string& name) const {
    for (const auto& entry : FItems)
        if (entry->Task().FGeneral.Name == name)
            return entry.get();
    return nullptr;
}

std::string TBackups::ReadCounter() const {
    auto text = ReadWholeFile(CounterFile());
    if (!text)
        return "1";
    std::string line = text->substr(0, text->find('\n'));
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line.empty() ? "1" : line;
}

void TBackups::WriteCounter(const std::string& used) const {
    if (!IsNumber(used) || used.size() > 18)
        return; // a counter that is no number stays as it is
    WriteFileAtomically(CounterFile(), std::to_string(std::stoll(used) + 1) + "\r\n");
}

// A task that runs at logon needs the program to stay resident after its run.
void TBackups::KeepResidentForStartupRuns(const KBT& task) {
    if (task.FGeneral.SWindowsStartup && options_)
        options_->WindowsStartup = true;
}

TBackup* TBackups::NewBackupTask() {
    return NewTask(false);
}

TBackup* TBackups::NewSyncTask() {
    return NewTask(true);
}

TBackup* TBackups::NewTask(bool synchronization) {
    auto draft = std::make_unique<TBackup>("", "default", environment_);
    KBT& task = draft->Task();
    task.FGeneral.Type = synchronization ? 1 : 0;
    const std::string counter = ReadCounter();
    task.FGeneral.Name = Msg(synchronization ? "_MySync" : "_MyBackup") + counter;
    const bool lastFolder = !synchronization && options_ && !options_->LastLocalFolder.empty();
    task.FDestination.Folder.SetPath(lastFolder ? options_->LastLocalFolder
                                                : FFolder + Msg("_Backup"));
    const TaskEditRequest request{TaskEditRequest::Mode::Wizard, synchronization, !synchronization};
    if (!host_.EditTask(*draft, request))
        return nullptr;
    ValidateTaskName(task.FGeneral.Name);
    WriteCounter(counter);
    host_.ScheduleSaved(*draft, true);
    KeepResidentForStartupRuns(task);
    if (!synchronization)
        task.FGeneral.CreateDate = DateTimeFromSystem(environment_.TimeSource->Now());
    task.Save(false);
    const std::string path = task.FileName();
    draft.reset();
    TBackup* entry = AddAndShow(path);
    SaveProject();
    host_.StartupTasksChanged();
    host_.FolderMonitorsChanged();
    return entry;
}

TBackup* TBackups::Duplicate(TBackup& entry) {
    KBT& task = entry.Task();
    const std::string name = task.FGeneral.Name;
    const std::string archiveName = task.FGeneral.ArchiveFolderName;
    std::string copy = name;
    while (IsFile(environment_.TasksFolder + copy + "1.kbt"))
        copy += "1";
    copy += "1";
    task.FGeneral.Name = copy;
    task.FGeneral.ArchiveFolderName = copy;
    task.Save(false);
    // The original keeps its own archive name: its backups must not move.
    task.FGeneral.Name = name;
    task.FGeneral.ArchiveFolderName = archiveName;
    TBackup* duplicate = AddAndShow(environment_.TasksFolder + copy + ".kbt");
    SaveProject();
    return duplicate;
}

bool TBackups::Delete(TBackup* entry) {
    auto it = std::find_if(FItems.begin(), FItems.end(),
                           [&](const auto& item) { return item.get() == entry; });
    if (it == FItems.end())
        return false;
    for (const char* extension : {".kbt", ".bdl", ".log"})
        ::unlink((environment_.TasksFolder + entry->Name() + extension).c_str());
    host_.RemoveEntry(*entry);
    host_.ContentsCleared();
    FItems.erase(it);
    SaveProject();
    return true;
}

// The settings whose change makes the history start over.
struct HistoryKey {
    std::string collision, password, folder, archiveName;
    int64_t dtype;
    explicit HistoryKey(const KBT& task)
        : collision(task.FGeneral.SetCollision), password(task.FDestination.Archive.FPassword),
          folder(task.FDestination.Folder.FullName()), archiveName(task.FGeneral.ArchiveFolderName),
          dtype(task.FDestination.dtype) {}
    bool operator==(const HistoryKey&) const = default;
};

bool TBackups::EditProperties(TBackup& entry) {
    const HistoryKey before(entry.Task());
    const TaskEditRequest request{TaskEditRequest::Mode::Edit, entry.Task().FGeneral.Type == 1,
                                  false};
    const bool ok = host_.EditTask(entry, request);
    if (ok) {
        KBT& task = entry.Task();
        ValidateTaskName(task.FGeneral.Name);
        host_.ScheduleSaved(entry, true);
        task.FDestination.dtype = task.FDestination.DeriveDtype();
        if (!(HistoryKey(task) == before)) {
            task.FDestination.Stacks.clear();
            task.FDestination.DestinationFiles.clear();
            task.FDestination.DestinationFolders.clear();
            if (task.FGeneral.bCount > 0) {
                task.Log().AddEntry(1, kLogInfo, Msg("_ItemPropertiesChanged"));
                task.FGeneral.bCount = 0;
            }
        }
        KeepResidentForStartupRuns(task);
        task.Save(false);
        entry.SetName(task.FGeneral.Name);
        SaveProject();
    }
    // A cancelled edit is discarded; the task is what its file says.
    host_.ContentsCleared();
    entry.Reload();
    if (ok) {
        host_.StartupTasksChanged();
        host_.FolderMonitorsChanged();
    }
    return ok;
}

} // namespace kelvo
