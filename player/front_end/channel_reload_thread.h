// sjhgx: rebuilds the channel tree after the update thread has replaced the channel database.
// It parses its own copy of the file (the main window's document belongs to the GUI thread) and
// makes every change to the window on the GUI thread. Created running; never freed.
#pragma once

#include "thread.h"

namespace zentavo {

class sjhgx : public tk::TThread {
    TK_CLASS(sjhgx)
public:
    sjhgx();

protected:
    void Execute() override;
};

extern sjhgx* ChannelReloadThread;  // the latest one

}  // namespace zentavo
