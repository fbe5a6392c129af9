#include "session_parts.h"

#include <new>

#if __has_include("link_manager.h")
#include "link_manager.h"
#define SESSION_HAS_LINK_MANAGER 1
#else
#define SESSION_HAS_LINK_MANAGER 0
#endif

#if __has_include("peer_exchange.h")
#include "peer_exchange.h"
#define SESSION_HAS_PEER_EXCHANGE 1
#else
#define SESSION_HAS_PEER_EXCHANGE 0
#endif

#if SESSION_HAS_LINK_MANAGER

CLinkManager* CreateLinkManager(CChannelSession* session, uint32_t count, uint8_t* entries) {
    CLinkManager* links = new (std::nothrow) CLinkManager(session);
    if (links) links->SetLinks(count, entries);
    return links;
}
void DeleteLinkManager(CLinkManager* links) { delete links; }
void LinkManagerBroadcast(CLinkManager* links) {
    if (links) links->Broadcast();
}
void LinkManagerType1Reply(CLinkManager* links, uint32_t source_kind, const NetSockAddr* sender,
                           const uint8_t* packet, uint32_t length) {
    if (links) links->OnType1Reply(source_kind, sender, packet, length);
}
void LinkManagerType2Reply(CLinkManager* links, uint32_t source_kind, const NetSockAddr* sender,
                           const uint8_t* packet, uint32_t length) {
    if (links) links->OnType2Reply(source_kind, sender, packet, length);
}
void LinkManagerType3Reply(CLinkManager* links, uint32_t source_kind, const NetSockAddr* sender,
                           const uint8_t* packet, uint32_t length) {
    if (links) links->OnType3Reply(source_kind, sender, packet, length);
}
bool HasLinkManager() { return true; }

#else

CLinkManager* CreateLinkManager(CChannelSession*, uint32_t, uint8_t*) { return nullptr; }
void DeleteLinkManager(CLinkManager*) {}
void LinkManagerBroadcast(CLinkManager*) {}
void LinkManagerType1Reply(CLinkManager*, uint32_t, const NetSockAddr*, const uint8_t*, uint32_t) {}
void LinkManagerType2Reply(CLinkManager*, uint32_t, const NetSockAddr*, const uint8_t*, uint32_t) {}
void LinkManagerType3Reply(CLinkManager*, uint32_t, const NetSockAddr*, const uint8_t*, uint32_t) {}
bool HasLinkManager() { return false; }

#endif

#if SESSION_HAS_PEER_EXCHANGE

CPeerExchange* CreatePeerExchange(CChannelSession* session) {
    CPeerExchange* exchange = new (std::nothrow) CPeerExchange(session);
    if (exchange) exchange->Start(true);
    return exchange;
}
void DeletePeerExchange(CPeerExchange* exchange) { delete exchange; }
void PeerExchangeHello(CPeerExchange* exchange, const NetSockAddr* sender, const uint8_t* packet,
                       uint32_t length) {
    if (exchange) exchange->OnHello(sender, packet, length);
}
void PeerExchangePeerList(CPeerExchange* exchange, const NetSockAddr* sender, const uint8_t* packet,
                          uint32_t length) {
    if (exchange) exchange->OnPeerList(sender, packet, length);
}
bool HasPeerExchange() { return true; }

#else

CPeerExchange* CreatePeerExchange(CChannelSession*) { return nullptr; }
void DeletePeerExchange(CPeerExchange*) {}
void PeerExchangeHello(CPeerExchange*, const NetSockAddr*, const uint8_t*, uint32_t) {}
void PeerExchangePeerList(CPeerExchange*, const NetSockAddr*, const uint8_t*, uint32_t) {}
bool HasPeerExchange() { return false; }

#endif
