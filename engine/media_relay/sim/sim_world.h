// One simulated swarm in one process: the virtual clock and its events, the engine core's
// queue, the in-memory network and every node. Installing a world binds the engine tables,
// the engine clock and the window-message hook to it, so that every call the module makes
// resolves through the node that is current: the world makes a node current before it hands
// one of its messages to an object, and parties run their own actions the same way.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "event_queue.h"
#include "message_dispatch.h"
#include "seeded_random.h"
#include "sim_network.h"
#include "sim_node.h"

namespace sim {

class World {
public:
    explicit World(uint64_t seed);
    // Unbinds the tables; every party must be gone before.
    ~World();
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    // The installed world, null when none.
    static World* Current();

    EventQueue& Events() { return m_events; }
    MessageDispatch& Dispatch() { return m_dispatch; }
    Network& Net() { return *m_network; }
    SeededRandom& Random() { return m_random; }
    SimTime Now() const { return m_events.Now(); }

    // A new host; its tick offset is drawn from the world's seed.
    Node* AddNode(const std::string& name, uint32_t ipv4, const LinkEmulation& link = {});
    const std::vector<std::unique_ptr<Node>>& Nodes() const { return m_nodes; }
    // The node is gone at once: its sockets, queued messages and timers with it.
    void CrashNode(Node* node);

    Node* CurrentNode() const { return m_current; }
    // Makes a node current for the scope (calls made then are the node's).
    class Scope {
    public:
        explicit Scope(Node* node) : m_world(*Current()), m_saved(m_world.m_current) { m_world.m_current = node; }
        ~Scope() { m_world.m_current = m_saved; }
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        World& m_world;
        Node* m_saved;
    };
    // An action at `at`, run with `node` current.
    void At(SimTime at, Node* node, std::function<void()> action);

    // Delivers every message and runs every event due up to `until`; the clock then stands there.
    void RunUntil(SimTime until);
    uint64_t MessagesDelivered() const { return m_delivered; }
    // Messages whose target was no live object (a purge that missed one).
    uint64_t StrayMessages() const { return m_stray; }

    // The core's heap blocks, counted on the node that allocates them.
    void* Alloc(uint32_t size);
    bool Free(void* block);
    // The engine log: silent, or on standard error with the virtual time and the node when
    // RELAY_SIM_LOG is set.
    void LogLine(const char* text);

private:
    void Deliver(const PostedMessage& posted);
    void Release(Node* node, const FrameworkMessage& msg);

    EventQueue m_events;
    MessageDispatch m_dispatch;
    SeededRandom m_random;
    std::unique_ptr<Network> m_network;
    std::vector<std::unique_ptr<Node>> m_nodes;
    Node* m_current = nullptr;
    uint64_t m_delivered = 0;
    uint64_t m_stray = 0;
    bool m_echo_log = false;
};

// The tables of the engine core and the network library over the installed world.
int CoreTableOfWorld(uint32_t* table);
int NetTableOfWorld(uint32_t* table);

}  // namespace sim
