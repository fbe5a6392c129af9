// The link the link manager creates: joins with the address its entry says to report, and
// leaves with two empty texts.
#pragma once

#include "links/peer_link.h"

class CServerLink : public CPeerLink {
public:
    using CPeerLink::CPeerLink;

    bool SendJoin() override;
    bool SendLeave() override;
};
