#include "install_skin_manager.h"

#include <memory>

#include "skin_manage.h"

namespace skin {

void InstallSkinManager(FormSkinnerFactory factory) {
    SetSkinManagerFactory([factory = std::move(factory)] { return std::make_unique<TSkinManage>(factory); });
}

}  // namespace skin
