#include "message_object.h"

#include <cstddef>

#include "engine_tables.h"

CMessageObject::~CMessageObject() {
    CoreUnregisterObject(this);
    m_validity = OBJECT_DEAD;
}

int CMessageObject::OnMessage(FrameworkMessage*) {
    return 0;
}

static_assert(sizeof(CMessageObject) == 8, "table pointer then validity word");
