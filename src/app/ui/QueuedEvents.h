#pragma once
// The events queued for later (QueueEvent, CallAfter), one at a time. wx hands them out only all
// at once (wxApp::ProcessPendingEvents, also run by the toolkit's idle handler), which would let
// one pump handle any number of them.

namespace mirabel {

// Handles the oldest queued event of the first handler that has one; false when none waits.
bool HandleOneQueuedEvent();

}  // namespace mirabel
