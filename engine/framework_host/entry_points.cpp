#include "entry_points.h"

#include <cstring>

#include "create_param_block.h"
#include "engine_tables.h"
#include "framework_manager.h"
#include "listening_ports.h"
#include "message_ids.h"
#include "message_loop.h"
#include "module_name_queue.h"
#include "net_request.h"
#include "platform.h"

namespace {
void* CopyToCoreBlock(const void* data, uint32_t length) {
    void* block = CoreAlloc(length);
    if (block && length) std::memcpy(block, data, length);
    return block;
}

// Posts a message to the manager that hands it `block`; the block is freed again when the
// queue does not take the message.
int PostToManager(uint32_t id, uint32_t p1, uint32_t p2, uint32_t p3, void* block) {
    const int rc = CorePostMessage(0, 0, id, p1, p2, p3, 0);
    if (!rc) CoreFree(block);
    return rc;
}

int StartFramework(int* tcp_port, int* udp_port) {
    if (!CoreTableBound()) {
        platform::DebugOutput("VOR: QUIB.DLL is not bound; the framework does not start\n");
        return 0;
    }
    if (!NetTableBound()) {
        platform::DebugOutput("VOR: KUZ.DLL is not bound; the framework does not start\n");
        return 0;
    }
    if (TheFrameworkManager()) {
        CoreLogText("TS_0001: the framework is already running");
        return 1;
    }
    RegisterMessageIds();
    NetStartup();
    CFrameworkManager* manager = CreateFrameworkManager();
    if (!manager) {
        CoreLogText("TS_0001: no memory for the framework manager");
        return 0;
    }
    SetFrameworkManagerTarget(manager);
    OpenListeningPorts(tcp_port, udp_port, *manager);
    StartMessageLoop();
    return 1;
}
}  // namespace

bool FrameworkTablesBound() {
    return CoreTableBound() && NetTableBound();
}

int ShutdownFramework() {
    CFrameworkManager* manager = TheFrameworkManager();
    if (!manager) return 1;
    manager->ClearAllComponent();
    StopMessageLoop();
    const bool loop_ended = !MessageLoopWasTerminated();
    // A create still queued when the deletes were posted made its row afterwards; the loop has
    // ended, so its component is deleted here.
    if (loop_ended) {
        while (manager->Components().Count() > 0) manager->DeleteAppComponent(0);
    }
    // The sockets name the manager's parts as their handlers: they go first.
    CloseListeningPorts();
    if (loop_ended) {
        DeleteAllNetRequests();
    } else {
        // The killed thread may hold a lock the destructors need; the process is ending.
        CoreLogText("message loop thread was terminated; the framework manager is left in place");
    }
    SetFrameworkManagerTarget(nullptr);
    ReleaseFrameworkManager(loop_ended);
    CoreLogText("Clear Network.");
    NetCleanup();
    CoreLogText("Clear message queue.");
    CoreShutdownQueue();
    return 1;
}

ENGINE_EXPORT int ENGINE_CALL TS_0001(int* tcp_port, int* udp_port) {
    try {
        return StartFramework(tcp_port, udp_port);
    } catch (...) {
        return 0;
    }
}

ENGINE_EXPORT int ENGINE_CALL TS_0002() {
    if (!FrameworkTablesBound()) return 0;
    try {
        return ShutdownFramework();
    } catch (...) {
        return 0;
    }
}

ENGINE_EXPORT int ENGINE_CALL TS_0003(int command, const void* data, uint32_t length) {
    if (!FrameworkTablesBound()) return 0;
    if (length && !data) return 0;
    void* block = nullptr;
    if (length) {
        block = CopyToCoreBlock(data, length);
        if (!block) return 0;
    }
    return PostToManager(MSG_HOST_COMMAND, static_cast<uint32_t>(command),
                         ToWord(block), length, block);
}

ENGINE_EXPORT int ENGINE_CALL TS_0004(const void* create_param_block) {
    if (!FrameworkTablesBound()) return 0;
    void* copy = CopyCreateParamBlock(create_param_block);
    if (!copy) return 0;
    return PostToManager(MSG_CREATE_COMPONENT, ToWord(copy), 0, 0, copy);
}

ENGINE_EXPORT int ENGINE_CALL TS_0005(uint32_t guid0, uint32_t guid1, uint32_t guid2, uint32_t guid3) {
    if (!FrameworkTablesBound()) return 0;
    const uint32_t words[4] = {guid0, guid1, guid2, guid3};
    void* block = CopyToCoreBlock(words, sizeof(words));
    if (!block) return 0;
    return PostToManager(MSG_DELETE_COMPONENT, ToWord(block), 0, 0,
                         block);
}

ENGINE_EXPORT int ENGINE_CALL TS_0006(SharedBlockDesc* desc) {
    return desc ? CoreCreateSharedBlock(desc) : -1;
}

ENGINE_EXPORT int ENGINE_CALL TS_0007(SharedBlockDesc* desc) {
    return desc ? CoreOpenSharedBlock(desc) : -1;
}

ENGINE_EXPORT int ENGINE_CALL TS_0008(SharedBlockDesc* desc) {
    if (desc) CoreCloseSharedBlock(desc);
    return 0;
}

ENGINE_EXPORT int ENGINE_CALL TS_0009(const char* module_file_name) {
    try {
        if (module_file_name) AppendModuleName(module_file_name);
    } catch (...) {
        // No exception may cross an exported entry; a name that cannot be stored is not added.
    }
    return 0;
}
