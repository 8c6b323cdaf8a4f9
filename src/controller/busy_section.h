#pragma once

// A command that talks to the device holds the instance mutex and raises
// BusyFlag for its whole run: the message boxes it may show run a nested
// message loop, and the poll timer must keep off the port meanwhile. The
// scope takes both on entry and gives both back however the command ends.

// Which of the two goes first at the end. The send lets go of the mutex
// first; every other command clears the flag first.
enum class BusyRelease { FlagFirst, MutexFirst };

class BusyScope {
public:
    // A scope made and dropped in one statement would hold nothing: the build warns.
    [[nodiscard]] explicit BusyScope(BusyRelease order = BusyRelease::FlagFirst);
    ~BusyScope();
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    BusyRelease order_;
};
