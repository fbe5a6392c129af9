#include "message_object.h"

#include <cstddef>

#include "engine_tables.h"

CMessageObject::~CMessageObject() {
    CoreUnregisterObject(this);
    // The loop reads this word after the object is gone. The object's lifetime ends here, so an
    // optimiser drops a plain store as dead; a volatile one is always written.
    *static_cast<volatile uint32_t*>(&m_validity) = OBJECT_DEAD;
}

int CMessageObject::OnMessage(FrameworkMessage*) {
    return 0;
}

static_assert(sizeof(CMessageObject) == 8, "table pointer then validity word");
