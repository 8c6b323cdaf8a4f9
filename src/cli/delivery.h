#pragma once
#include <memory>
#include <string>
#include <vector>

#include "cli/child_process.h"
#include "cli/commands.h"
#include "device/watch.h"

// Hands each arrival's text to what the user asked for: a new file in a
// folder, a command, the clipboard and the paste key. Each failure is said on
// standard error; the watch goes on.
class Delivery {
public:
    explicit Delivery(const DeliveryOptions& options) : options_(options) {}

    // What must hold before the watch starts: the folder made, the clipboard
    // reachable. 0, or the exit code after the reason was said.
    int Prepare();

    // False when any of the deliveries failed.
    bool Deliver(const Arrival& arrival);

    // Says how the commands that outlived their wait ended, once they have.
    void CollectFinishedCommands();

private:
    bool WriteToFolder(const Arrival& arrival, const std::string& text);
    bool RunCommand(const Arrival& arrival, const std::string& text);
    bool PlaceAndPaste(const std::string& text);

    struct Running {
        uint32_t arrival;
        std::unique_ptr<ChildProcess> process;
    };

    DeliveryOptions options_;
    // A desktop that refuses typed keys is told of once; the text still goes
    // to the clipboard.
    bool canType_ = true;
    bool typingRefusalSaid_ = false;
    std::vector<Running> running_;
};
