#pragma once
#include <windows.h>
#include "link/progress.h"

// Drives progress bar 1000 and the small caption icon of the main window.
class WindowProgress final : public ProgressSink {
public:
    void ProgressBegin(uint32_t total) override;
    void ProgressAdvance(uint32_t count) override;
};
