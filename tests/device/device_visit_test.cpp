// What a visit to the keyboard leaves behind when it ends, on the scripted port.
#include <gtest/gtest.h>

#include "device/device_files.h"
#include "link/protocol.h"
#include "link/stop_request.h"
#include "scripted_port.h"

namespace {

using scripted::Frame;
using scripted::Join;

// A read stopped at a block boundary may still have the block it asked for
// on its way. The visit must put file 3 back all the same, and a visit that
// was not stopped must not pay for the wait that takes.
TEST(DeviceVisit, PutsTheCurrentFileBackEvenWithABlockStillArriving) {
    for (const bool stopped : {false, true}) {
        ScriptedPort port;
        port.Reply({StatusAccepted, 0x03});
        if (stopped) port.Reply(scripted::Pattern(40)).Silence();
        port.Reply({StatusAccepted}).Reply({StatusAccepted, 0x03}).Reply({StatusAccepted, 0x00});
        Outcome ended;
        {
            DeviceVisit visit(port);
            ASSERT_TRUE(visit.Begin().Ok());
            if (stopped) RequestStop();
            ended = visit.End();
        }
        ClearStopRequest();
        EXPECT_TRUE(ended.Ok()) << "stopped " << stopped << ": " << ended.detail;
        EXPECT_EQ(port.Written(), Join({Frame(CmdQueryFile), Frame(CmdSelectFile + 2), Frame(CmdQueryFile),
                                        Frame(CmdDone)}))
            << "stopped " << stopped;
        // The 40 stray bytes take four reads of DrainChunk, the quiet line one more.
        EXPECT_EQ(port.ReadSizes().size(), stopped ? 4u + 5u : 4u) << "reads spent draining";
    }
}

}  // namespace
