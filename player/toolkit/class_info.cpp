#include "class_info.h"

#include "text_convert.h"

namespace tk {

bool ClassInfo::InheritsFrom(const ClassInfo& other) const {
    for (const ClassInfo* c = this; c != nullptr; c = c->parent_)
        if (c == &other) return true;
    return false;
}

const PropInfo* ClassInfo::FindProperty(const std::wstring& name) const {
    for (const ClassInfo* c = this; c != nullptr; c = c->parent_)
        for (const PropInfo& p : c->properties_)
            if (SameTextAscii(p.name, name)) return &p;
    return nullptr;
}

const ClassInfo& TObject::StaticClass() {
    static const ClassInfo info(L"TObject", nullptr);
    return info;
}

}  // namespace tk
