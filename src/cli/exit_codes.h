#pragma once

// The command line's exit codes; scripts rely on them, so they never change.
enum ExitCode : int {
    ExitDone = 0,
    ExitDevice = 1,     // the device failed, or no keyboard answered
    ExitUsage = 2,      // wrong arguments, a non-empty backup folder, no confirmation
    ExitTooLong = 3,    // the text does not fit the file
    ExitPortOpen = 4,   // the port cannot be opened
    ExitPcFile = 5,     // a file on the PC is unusable; nothing was sent
};
