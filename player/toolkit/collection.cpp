#include "collection.h"

namespace tk {

TK_CLASS_INFO(TCollectionItem, TPersistent)
TK_CLASS_INFO(TCollection, TPersistent)

int TCollectionItem::Index() const {
    for (int i = 0; i < collection_->Count(); ++i)
        if (collection_->ItemAt(i) == this) return i;
    return -1;
}

void TCollectionItem::Changed() {
    if (collection_ != nullptr) collection_->Changed();
}

void TCollection::Clear() {
    items_.clear();
    Changed();
}

void TCollection::Delete(int index) {
    items_.erase(items_.begin() + index);
    Changed();
}

}  // namespace tk
