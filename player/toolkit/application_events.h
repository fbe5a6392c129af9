// A component that hooks the application: OnMessage sees every queued message before it is
// dispatched (Handled drops it), OnException replaces the default error report.
#pragma once

#include <windows.h>

#include <functional>

#include "component.h"

namespace tk {

class Exception;

using TMessageEvent = std::function<void(MSG& msg, bool& handled)>;
using TExceptionEvent = std::function<void(TObject* sender, const Exception& error)>;

class TApplicationEvents : public TComponent {
    TK_CLASS(TApplicationEvents)
public:
    explicit TApplicationEvents(TComponent* owner);
    ~TApplicationEvents() override;
    TMessageEvent OnMessage;
    TExceptionEvent OnException;
};

// The loop's filter: true when some OnMessage handled the message.
bool DispatchApplicationMessage(MSG& msg);
// True when some OnException took the error.
bool DispatchApplicationException(const Exception& error);

}  // namespace tk
