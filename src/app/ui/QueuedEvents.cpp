#include "app/ui/QueuedEvents.h"

#include <wx/app.h>
#include <wx/thread.h>

namespace mirabel {

namespace {

// The application keeps the handlers with queued events in a protected list and has no public
// call that gives the first of them. A class derived from the application's base may name that
// list, and the member pointer so formed reads it on the running application.
class QueuedEventHandlers : public wxAppConsoleBase {
  public:
    static wxEvtHandler* First(wxAppConsoleBase& app) {
#if wxUSE_THREADS
        wxCriticalSectionLocker lock(app.*
                                     (&QueuedEventHandlers::m_handlersWithPendingEventsLocker));
#endif
        const wxEvtHandlerArray& handlers =
            app.*(&QueuedEventHandlers::m_handlersWithPendingEvents);
        return handlers.IsEmpty() ? nullptr : handlers[0];
    }
};

}  // namespace

bool HandleOneQueuedEvent() {
    if (!wxTheApp) return false;
    wxEvtHandler* handler = QueuedEventHandlers::First(*wxTheApp);
    if (!handler) return false;
    // A handler's own call handles exactly one of its events (and leaves the list when it has
    // no more); the handler may be gone once the event has been handled.
    handler->ProcessPendingEvents();
    return true;
}

}  // namespace mirabel
