#pragma once
#include <windows.h>

// The system's own words for an error code, in the user's language, held until
// this goes out of scope. Both programs tell the user about a failed system
// call through this, so they word it alike.
//
// The text is as the system gives it, usually ending in a line end. A message
// written with places for inserts ("%1 is not a valid ...") keeps them as they
// are: we have nothing to put there, and asking the system to fill them would
// make it refuse the whole message.
class SystemMessage {
public:
    explicit SystemMessage(DWORD error);
    ~SystemMessage();
    SystemMessage(const SystemMessage&) = delete;
    SystemMessage& operator=(const SystemMessage&) = delete;

    // Null when the system has no words for the code.
    const wchar_t* Text() const { return text_; }
    // In characters, without the terminator; 0 when there is no text.
    DWORD Length() const { return length_; }

private:
    wchar_t* text_ = nullptr;
    DWORD length_ = 0;
};
