// The relay session's calls into the parts it creates (link manager, peer exchange), in one
// place. A part that is not in the build yet is simply absent: creating it gives null, and the
// calls on a null part do nothing, so the session runs without it.
#pragma once

#include <cstdint>

#include "outside_abi.h"

class CChannelSession;
class CLinkManager;
class CPeerExchange;

// A link manager holding the `count` 16-byte link entries (its first broadcast goes out now).
CLinkManager* CreateLinkManager(CChannelSession* session, uint32_t count, uint8_t* entries);
void DeleteLinkManager(CLinkManager* links);
void LinkManagerBroadcast(CLinkManager* links);
void LinkManagerType1Reply(CLinkManager* links, uint32_t source_kind, const NetSockAddr* sender,
                           const uint8_t* packet, uint32_t length);
void LinkManagerType2Reply(CLinkManager* links, uint32_t source_kind, const NetSockAddr* sender,
                           const uint8_t* packet, uint32_t length);
void LinkManagerType3Reply(CLinkManager* links, uint32_t source_kind, const NetSockAddr* sender,
                           const uint8_t* packet, uint32_t length);

// A started peer exchange with its timer.
CPeerExchange* CreatePeerExchange(CChannelSession* session);
void DeletePeerExchange(CPeerExchange* exchange);
void PeerExchangeHello(CPeerExchange* exchange, const NetSockAddr* sender, const uint8_t* packet,
                       uint32_t length);
void PeerExchangePeerList(CPeerExchange* exchange, const NetSockAddr* sender, const uint8_t* packet,
                          uint32_t length);

// Whether the parts are in this build (tests skip what needs them).
bool HasLinkManager();
bool HasPeerExchange();
