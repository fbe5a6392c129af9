// shenjixc: one attempt to update from the server at UpdateServerIndex of the settings file's
// server list. A failed attempt starts the next server's thread; one description that reads as
// such ends the updating for this start. Created running; never freed.
#pragma once

#include "thread.h"

namespace zentavo {

class shenjixc : public tk::TThread {
    TK_CLASS(shenjixc)
public:
    shenjixc();

protected:
    void Execute() override;
};

extern shenjixc* UpdateThread;  // the current one
extern int UpdateServerIndex;   // 0 at start, never reset

// As the player closes: no update change begins any more, and the update's temporary files
// ("up.ini", "linshi.xml") are gone, also one that a download is writing.
void EndUpdatingForClose();

}  // namespace zentavo
