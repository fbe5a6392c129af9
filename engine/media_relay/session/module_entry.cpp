// JEV.DLL: the media relay module. It registers the live-channel component type and builds one
// relay session per component. Loading the library binds the engine core and the network
// library by bare file name.
#include <new>

#include "engine_tables.h"
#include "message_object.h"
#include "session/relay_session.h"

namespace {

constexpr int32_t COMPONENT_TYPE_LIVE = 1001;

struct BindEngineLibraries {
    BindEngineLibraries() {
        BindCoreLibrary();
        BindNetLibrary();
    }
};
// Module statics elsewhere only hold plain values, so their order against this one does not
// matter; every call into the engine libraries comes after loading.
BindEngineLibraries g_bind_engine_libraries;

// Nothing may leave the library as an exception: a session that cannot be built, for any
// reason, is a failed create (0), which the framework host reports itself.
uint32_t ENGINE_CALL CreateRelaySession(void* create_param_block) {
    CRelaySession* session = nullptr;
    try {
        session = new (std::nothrow) CRelaySession(create_param_block);
        if (!session) return 0;
        if (!session->Open()) {
            delete session;
            return 0;
        }
        return session->AsTarget();
    } catch (...) {
        delete session;
        return 0;
    }
}

int ENGINE_CALL DestroyRelaySession(uint32_t handle) {
    if (!handle) return 1;
    try {
        delete static_cast<CRelaySession*>(CMessageObject::FromTarget(handle));
    } catch (...) {
        // Nothing may cross the module's C boundary; the session is gone either way, and the
        // framework host drops the component whatever this returns.
    }
    return 1;
}

}  // namespace

ENGINE_EXPORT ModuleRegistration* ENGINE_CALL TS_XXXX(ModuleRegistration* registration) {
    *registration = {kModuleInterfaceVersion, COMPONENT_TYPE_LIVE, &CreateRelaySession, &DestroyRelaySession};
    return registration;
}
