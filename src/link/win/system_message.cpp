#include "link/win/system_message.h"

namespace {

constexpr DWORD MessageFlags =
    FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
constexpr DWORD UserLanguage = 0;

}  // namespace

SystemMessage::SystemMessage(DWORD error) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(MessageFlags, nullptr, error, UserLanguage, reinterpret_cast<wchar_t*>(&text),
                                        0, nullptr);
    if (length == 0 || text == nullptr) {
        if (text != nullptr) LocalFree(text);
        return;
    }
    text_ = text;
    length_ = length;
}

SystemMessage::~SystemMessage() {
    if (text_ != nullptr) LocalFree(text_);
}
