#include "application_events.h"

#include <algorithm>
#include <vector>

namespace tk {
namespace {
std::vector<TApplicationEvents*>& Instances() {
    static auto* instances = new std::vector<TApplicationEvents*>();
    return *instances;
}
}  // namespace

TK_CLASS_INFO(TApplicationEvents, TComponent)

TApplicationEvents::TApplicationEvents(TComponent* owner) : TComponent(owner) { Instances().push_back(this); }

TApplicationEvents::~TApplicationEvents() {
    auto& list = Instances();
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

bool DispatchApplicationMessage(MSG& msg) {
    bool handled = false;
    for (TApplicationEvents* events : std::vector<TApplicationEvents*>(Instances())) {
        if (events->OnMessage) events->OnMessage(msg, handled);
        if (handled) break;
    }
    return handled;
}

bool DispatchApplicationException(const Exception& error) {
    for (TApplicationEvents* events : Instances())
        if (events->OnException) {
            events->OnException(events, error);
            return true;
        }
    return false;
}

}  // namespace tk
