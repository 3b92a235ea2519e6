#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/evtloop.h>

#include "app/ui/WxOperator.h"
#include "archive/RunState.h"

namespace mirabel {

namespace {

// Between two files a long operation lets at most ten waiting events through, the events
// queued for later included.
TEST(EventPump, OneCallHandlesTenOfTwentyFiveQueuedEvents) {
    std::unique_ptr<Operator> previous = InstallOperator(std::make_unique<WxOperator>());
    wxEvtHandler window;
    int handled = 0;
    int afterOneCall = -1;
    wxGUIEventLoop loop;
    // The operation runs inside the running loop, as a handler of the main window does.
    wxTheApp->CallAfter([&] {
        for (int i = 0; i < 25; ++i) window.CallAfter([&handled] { ++handled; });
        PeekAndPump();
        afterOneCall = handled;
        PeekAndPump();
        PeekAndPump();
        loop.Exit();
    });
    loop.Run();
    EXPECT_EQ(afterOneCall, 10);
    EXPECT_EQ(handled, 25);
    InstallOperator(std::move(previous));
}

}  // namespace

}  // namespace mirabel
