// glimmerly-cli: the keyboard's files from a terminal or a script.
#include <CLI/CLI.hpp>

#include "cli/commands.h"
#include "cli/exit_codes.h"
#include "cli/platform.h"

namespace {

// How a command's text is written or read on the PC's side.
struct TextFormChoice {
    std::string encoding = "utf-8";
    bool raw = false;
    TextForm Form() const {
        if (raw) return TextForm::Raw;
        return encoding == "cp1252" ? TextForm::Cp1252 : TextForm::Utf8;
    }
};

void AddTextFormOptions(CLI::App* command, TextFormChoice* choice, const char* what) {
    command->add_option("--encoding", choice->encoding, std::string("utf-8 or cp1252: character set of the ") + what)
        ->check(CLI::IsMember({"utf-8", "cp1252"}, CLI::ignore_case))
        ->default_str("utf-8");
    command->add_flag("--raw", choice->raw, "the device's bytes exactly, unconverted")->excludes("--encoding");
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"glimmerly-cli: read, write, back up and restore the files of a Quillatron keyboard"};
    app.require_subcommand(1);
    app.set_version_flag("--version", "glimmerly-cli " GLIMMERLY_VERSION);
    GlobalOptions global;
    app.add_option("--port", global.port,
                   "serial port (else GLIMMERLY_PORT; on Windows, the port Glimmerly uses)");

    CLI::App* info = app.add_subcommand("info", "identity, current file, each file's length and capacity");

    GetOptions get;
    TextFormChoice getForm;
    CLI::App* getCommand = app.add_subcommand("get", "the text of file N, to standard output or a file");
    getCommand->add_option("N", get.number, "file number, 1 to 8")->required()->check(CLI::Range(1, 8));
    getCommand->add_option("-o,--output", get.output, "write into this file instead");
    AddTextFormOptions(getCommand, &getForm, "output");

    PutOptions put;
    TextFormChoice putForm;
    CLI::App* putCommand = app.add_subcommand("put", "replace (or append to) file N from a file or standard input");
    putCommand->add_option("N", put.number, "file number, 1 to 8")->required()->check(CLI::Range(1, 8));
    putCommand->add_option("FILE", put.input, "input file (default: standard input)");
    putCommand->add_flag("--append", put.append, "add to the file instead of replacing it");
    putCommand->add_flag("--truncate", put.truncate, "cut text that does not fit instead of refusing it");
    putCommand->add_flag("--allow-empty", put.allowEmpty, "an empty input clears the file");
    AddTextFormOptions(putCommand, &putForm, "input");

    std::string backupFolder;
    CLI::App* backup = app.add_subcommand("backup", "copy all eight files into a new folder");
    backup->add_option("DIR", backupFolder, "folder to create (or an empty one)")->required();

    RestoreOptions restore;
    CLI::App* restoreCommand = app.add_subcommand("restore", "write a backup's files back to the keyboard");
    restoreCommand->add_option("DIR", restore.folder, "backup folder")->required();
    restoreCommand->add_option("--files", restore.files, "only these files, e.g. 1,3")
        ->delimiter(',')
        ->check(CLI::Range(1, 8));
    restoreCommand->add_flag("--yes", restore.yes, "replace without asking");

    CLI::App* ports = app.add_subcommand("ports", "the serial ports the system lists (nothing is opened)");

    std::vector<std::string> arguments = Utf8Arguments(argc, argv);
    std::vector<const char*> pointers;
    for (const std::string& argument : arguments) pointers.push_back(argument.c_str());
    try {
        app.parse(static_cast<int>(pointers.size()), pointers.data());
    } catch (const CLI::ParseError& error) {
        // CLI11 prints the help of the subcommand that was asked for.
        if (error.get_exit_code() == 0) {
            std::ostringstream out;
            app.exit(error, out, out);
            WriteStdout(out.str(), true);
            return ExitDone;
        }
        WriteStderr("glimmerly-cli: " + std::string(error.what()) + "\nRun with --help for more information.\n");
        return ExitUsage;
    }

    get.form = getForm.Form();
    put.form = putForm.Form();
    if (*info) return RunInfo(global);
    if (*getCommand) return RunGet(global, get);
    if (*putCommand) return RunPut(global, put);
    if (*backup) return RunBackup(global, backupFolder);
    if (*restoreCommand) return RunRestore(global, restore);
    if (*ports) return RunPorts();
    return ExitUsage;
}
