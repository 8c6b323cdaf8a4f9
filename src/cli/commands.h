#pragma once
#include <string>
#include <vector>

// Each command of glimmerly-cli, run with its parsed options; returns the exit code.

struct GlobalOptions {
    std::string port;  // empty: from the environment or Glimmerly's own choice
};

enum class TextForm { Utf8, Cp1252, Raw };

struct GetOptions {
    int number = 0;
    std::string output;  // empty: standard output
    TextForm form = TextForm::Utf8;
};

struct PutOptions {
    int number = 0;
    std::string input;  // empty or "-": standard input
    TextForm form = TextForm::Utf8;
    bool append = false;
    bool truncate = false;
    bool allowEmpty = false;
};

struct RestoreOptions {
    std::string folder;
    std::vector<int> files;  // empty: every file of the backup
    bool yes = false;
    bool noKeep = false;     // no copy of the files it replaces
};

// Where each arrival's text goes; at least one of them.
struct DeliveryOptions {
    std::string folder;   // --output: a new file there for each arrival
    std::string command;  // --exec: run through the shell, the text on its standard input
    bool clipboard = false;
    bool paste = false;   // the clipboard, then the paste key typed
    bool Any() const { return !folder.empty() || !command.empty() || clipboard || paste; }
};

struct WatchOptions {
    DeliveryOptions delivery;
    bool once = false;
    int intervalSeconds = 3;
};

int RunInfo(const GlobalOptions& global);
int RunGet(const GlobalOptions& global, const GetOptions& options);
int RunPut(const GlobalOptions& global, const PutOptions& options);
int RunBackup(const GlobalOptions& global, const std::string& folder);
int RunRestore(const GlobalOptions& global, const RestoreOptions& options);
int RunPorts();
int RunWatch(const GlobalOptions& global, const WatchOptions& options);
