// kelvobackup-cli: the engine without a window, for scripts and headless machines.
#include "Commands.h"

#include <CLI/CLI.hpp>

int main(int argc, char** argv) {
    using namespace kelvo::cli;
    CLI::App app{"Kelvo Backup without a window", "kelvobackup-cli"};
    app.require_subcommand(1);
    std::string home;
    app.add_option("--home", home, "Installation folder (data location) to work on");

    CLI::App* messages = app.add_subcommand("messages", "The default message table as JSON lines");

    CLI::App* options = app.add_subcommand("options", "The options store as JSON");
    std::vector<std::string> assignments;
    CLI::App* set = options->add_subcommand("set", "Change options and save them");
    set->add_option("assignment", assignments, "KEY=VALUE")->required();

    app.add_subcommand("list", "The tasks with their last run, next run and status");

    CLI::App* show = app.add_subcommand("show", "A task's settings as JSON");
    std::string taskName;
    bool showPasswords = false;
    show->add_option("task", taskName, "Task name")->required();
    show->add_flag("--show-passwords", showPasswords, "Print passwords in clear");

    CLI::App* import = app.add_subcommand("import", "Copy a task file in and list the task");
    std::string taskFile;
    import->add_option("file", taskFile, "The .kbt file")->required();

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        const int code = app.exit(error);
        return code == 0 ? kExitSuccess : kExitUsage;
    }

    if (*messages)
        return RunMessages();
    EstablishProgram(home);
    if (*options)
        return RunOptions(assignments);
    if (*show)
        return RunShow(taskName, showPasswords);
    if (*import)
        return RunImport(taskFile);
    if (app.got_subcommand("list"))
        return RunList();
    return kExitUsage;
}
