#pragma once
#include <string_view>

#include "link/port_name.h"

// What the command line asks for. Switches and names in any case; words the
// program does not know are ignored.
//   /port COMn     use port n (1 to 256) from now on; also /port:COMn, and
//                  the name may be quoted ("COMn")
//   /port auto     use the infrared driver's port again
//   /full          open the full window, from now on
//   /compact       open the compact window, from now on

enum class PortChoice { Unchanged, Named, Automatic, Invalid };
enum class WindowChoice { Unchanged, Compact, Full };

struct CommandLineChoices {
    PortChoice port = PortChoice::Unchanged;
    char portName[PortNameSize] = {};  // "COMn" without leading zeros, when Named
    WindowChoice window = WindowChoice::Unchanged;
};

// Reads the whole command line as GetCommandLineA gives it: the program's own
// path first (quoted or not), then the arguments. Several /port or window
// switches: the last one counts, but any /port without an accepted name makes
// the port choice Invalid.
CommandLineChoices ParseCommandLine(std::string_view commandLine);

// The message shown for an Invalid port choice.
inline constexpr const char* TextPortUsage =
    "The port can be given as /port COMn, where n is 1 to 256 (for example /port COM5), "
    "or as /port auto to use the infrared driver's port.";
