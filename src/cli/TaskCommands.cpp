#include "Commands.h"
#include "JsonWriter.h"
#include "TaskRegistryLoader.h"

#include "task/GeneralSection.h"

#include <iostream>

namespace kelvo::cli {

namespace {

class TaskJson {
public:
    TaskJson(JsonWriter& json, bool showPasswords) : json_(json), showPasswords_(showPasswords) {}

    void Write(const KBT& task) {
        json_.BeginObject().Key("GENERAL");
        General(task.FGeneral);
        json_.Key("SOURCE");
        Source(task.FSource);
        json_.Key("DESTINATION");
        Destination(task.FDestination);
        json_.Key("REGISTRY").BeginArray();
        for (const TReg& key : task.FSource.Registry.Items())
            json_.BeginObject()
                .Key("name")
                .String(key.Name)
                .Key("path")
                .String(key.Path)
                .EndObject();
        json_.EndArray().Key("PLUGINS").BeginArray();
        for (const TKBTPlugin& plugin : task.FSource.Plugins)
            Plugin(plugin);
        json_.EndArray().EndObject();
    }

private:
    void Password(const std::string& text) {
        json_.String(showPasswords_ || text.empty() ? text : "***");
    }

    void General(const TmGeneral& general) {
        json_.BeginObject();
        GeneralSection::Visit(general, [&](const std::string& key, const GeneralSection::Value& v) {
            json_.Key(key);
            if (auto* i = std::get_if<int64_t>(&v))
                json_.Integer(*i);
            else if (auto* b = std::get_if<bool>(&v))
                json_.Bool(*b);
            else if (auto* d = std::get_if<double>(&v))
                json_.Number(*d);
            else
                json_.String(std::get<std::string>(v));
        });
        json_.EndObject();
    }

    void Credentials(const EndpointSettings& endpoint) {
        json_.Key("username").String(endpoint.UserName).Key("password");
        Password(endpoint.Password);
    }

    void Source(const TmSource& source) {
        json_.BeginObject()
            .Key("AlsoFoldersMAsk")
            .Bool(source.AlsoFoldersMAsk)
            .Key("ExcludeTemp")
            .Bool(source.ExcludeTemp)
            .Key("InclusionMask")
            .String(source.InclusionMask)
            .Key("ExclusionMask")
            .String(source.ExclusionMask)
            .Key("folders")
            .BeginArray();
        for (const auto& folder : source.Folders) {
            json_.BeginObject().Key("path").String(folder->FullName());
            json_.Key("InclusionMask").String(folder->FInclusionMasks);
            json_.Key("ExclusionMask").String(folder->FExclusionMasks);
            Credentials(folder->Endpoint);
            json_.EndObject();
        }
        json_.EndArray().Key("files").BeginArray();
        for (const auto& file : source.Files) {
            json_.BeginObject().Key("path").String(file->FullName());
            Credentials(file->Endpoint);
            json_.Key("special").Integer(file->Special).Key("info").String(file->Info);
            json_.Key("info1").String(file->Info1).EndObject();
        }
        json_.EndArray().EndObject();
    }

    void Ftp(const TConnection& ftp) {
        json_.BeginObject().Key("ConnName").String(ftp.ConnName).Key("Host").String(ftp.Host);
        json_.Key("Port").Integer(ftp.Port).Key("UserName").String(ftp.UserName).Key("Pass");
        Password(ftp.Pass);
        json_.Key("InitDir").String(ftp.InitDir).Key("PsvMode").Bool(ftp.PsvMode);
        json_.Key("SavProx").Bool(ftp.SavProx).Key("ProxyHost").String(ftp.ProxyHost);
        json_.Key("ProxyPort").Integer(ftp.ProxyPort).Key("ProxyUN").String(ftp.ProxyUN);
        json_.Key("ProxyPass");
        Password(ftp.ProxyPass);
        json_.Key("ProxyMeth").String(ftp.ProxyMeth).EndObject();
    }

    void Destination(const TmDestination& d) {
        json_.BeginObject().Key("root.dtype").Integer(d.dtype).Key("root.rb").Integer(d.rb);
        json_.Key("path").String(d.Folder.FullName());
        Credentials(d.Folder.Endpoint);
        json_.Key("ftp");
        if (d.Folder.Endpoint.Ftp)
            Ftp(*d.Folder.Endpoint.Ftp);
        else
            json_.Null();
        json_.Key("archive").Bool(d.archive);
        json_.Key("archive.selfextracting").Bool(d.Archive.FSelfExtracting);
        json_.Key("archive.security").String(d.Archive.FSecurity).Key("archive.password");
        Password(d.Archive.FPassword);
        json_.Key("archive.quality").Integer(d.Archive.FQuality).Key("archive.split");
        if (d.Archive.FSplit)
            json_.Integer(static_cast<int64_t>(d.Archive.FSplitSize));
        else
            json_.Null();
        json_.Key("list").String(d.list.FullName()).Key("stacks").BeginArray();
        for (const std::string& stack : d.Stacks)
            json_.String(stack);
        json_.EndArray().EndObject();
    }

    void Plugin(const TKBTPlugin& plugin) {
        json_.BeginObject().Key("guid").String(plugin.Guid).Key("files").BeginArray();
        for (const std::string& file : plugin.Files)
            json_.String(file);
        json_.EndArray().Key("idents").BeginArray();
        for (const TKBTPlugin::Identity& ident : plugin.Idents)
            json_.BeginObject()
                .Key("value")
                .String(ident.Value)
                .Key("IdentName")
                .String(ident.IdentName)
                .EndObject();
        json_.EndArray().EndObject();
    }

    JsonWriter& json_;
    bool showPasswords_;
};

} // namespace

int RunList() {
    LoadedRegistry loaded;
    std::cout << "Name\tType\tLast run\tNext run\tStatus\n";
    for (const auto& entry : loaded.backups->Items()) {
        const TmGeneral& general = entry->Task().FGeneral;
        std::cout << general.Name << '\t' << (general.Type == 1 ? "sync" : "backup") << '\t'
                  << general.LastRunTime << '\t' << general.NextRunTime << '\t' << general.status
                  << '\n';
    }
    return kExitSuccess;
}

int RunShow(const std::string& name, bool showPasswords) {
    LoadedRegistry loaded;
    const TBackup* entry = loaded.backups->Find(name);
    if (!entry) {
        std::cerr << "No task is named \"" << name << "\".\n";
        return kExitUsage;
    }
    JsonWriter json;
    TaskJson(json, showPasswords).Write(entry->Task());
    std::cout << json.Text();
    return kExitSuccess;
}

int RunImport(const std::string& file) {
    LoadedRegistry loaded;
    try {
        const TBackup* entry = loaded.backups->ImportTaskFile(file);
        if (!entry) {
            std::cerr << "Cannot import " << file << ".\n";
            return kExitErrors;
        }
        std::cout << "Imported " << entry->Task().FGeneral.Name << "\n";
        return kExitSuccess;
    } catch (const std::exception& error) {
        std::cerr << error.what() << "\n";
        return kExitErrors;
    }
}

} // namespace kelvo::cli
