#include "skin_manager_seam.h"

#include <algorithm>

#include "skin_data.h"

namespace skin {
namespace {

std::unique_ptr<ISkinManager>& Manager() {
    static std::unique_ptr<ISkinManager> manager;
    return manager;
}

SkinManagerFactory& Factory() {
    static SkinManagerFactory factory;
    return factory;
}

}  // namespace

ISkinManager* SkinManager() { return Manager().get(); }

ISkinManager& EnsureSkinManager() {
    if (!Manager()) Manager() = Factory() ? Factory()() : std::make_unique<NullSkinManager>();
    return *Manager();
}

SkinManagerFactory SetSkinManagerFactory(SkinManagerFactory factory) {
    SkinManagerFactory old = std::move(Factory());
    Factory() = std::move(factory);
    return old;
}

void ResetSkinManager() { Manager().reset(); }

void NullSkinManager::RegisterSkinData(TSkinData* data) {
    if (std::find(registered_.begin(), registered_.end(), data) != registered_.end()) return;
    registered_.push_back(data);
    if (main_ == nullptr && data->SkinFormtype() == TSkinFormType::sfMainform) main_ = data;
}

void NullSkinManager::UnregisterSkinData(TSkinData* data) {
    registered_.erase(std::remove(registered_.begin(), registered_.end(), data), registered_.end());
    if (pending_ == data) pending_ = nullptr;
    if (main_ != data) return;
    main_ = nullptr;
    for (TSkinData* other : registered_)
        if (other->SkinFormtype() == TSkinFormType::sfMainform) {
            main_ = other;
            break;
        }
}

}  // namespace skin
