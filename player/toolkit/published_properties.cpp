#include "published_properties.h"

#include "str_to_int.h"
#include "text_convert.h"

namespace tk {
namespace {
const PropInfo* Find(TObject* object, const std::wstring& name) {
    return object == nullptr ? nullptr : object->ClassType().FindProperty(name);
}

std::wstring SetText(const PropInfo& p, int mask) {
    std::wstring text = L"[";
    for (size_t i = 0; i < p.identifiers.size() && i < 32; ++i) {
        if ((mask & (1 << i)) == 0) continue;
        if (text.size() > 1) text += L',';
        text += p.identifiers[i];
    }
    return text + L"]";
}
}  // namespace

int GetOrdPropByName(TObject* object, const std::wstring& name) {
    const PropInfo* p = Find(object, name);
    if (p == nullptr || p->kind != PropKind::Integer || !p->getOrd) return -1;
    return p->getOrd(*object);
}

std::wstring GetEnumPropByName(TObject* object, const std::wstring& name) {
    const PropInfo* p = Find(object, name);
    if (p == nullptr || !p->getOrd) return std::wstring();
    if (p->kind == PropKind::Set) return SetText(*p, p->getOrd(*object));
    if (p->kind != PropKind::Enumeration) return std::wstring();
    int value = p->getOrd(*object);
    if (value < 0 || static_cast<size_t>(value) >= p->identifiers.size()) return std::wstring();
    return p->identifiers[value];
}

std::wstring GetTextPropByName(TObject* object, const std::wstring& name) {
    const PropInfo* p = Find(object, name);
    if (p == nullptr || (p->kind != PropKind::String && p->kind != PropKind::WideString) || !p->getText)
        return std::wstring();
    return p->getText(*object);
}

TPersistent* GetObjectPropByName(TObject* object, const std::wstring& name) {
    const PropInfo* p = Find(object, name);
    if (p == nullptr || p->kind != PropKind::Object || !p->getObject) return nullptr;
    return p->getObject(*object);
}

void SetPropByName(TObject* object, const std::wstring& name, const std::wstring& value) {
    const PropInfo* p = Find(object, name);
    if (p == nullptr) return;
    switch (p->kind) {
    case PropKind::Integer:
        if (p->setOrd) p->setOrd(*object, StrToInt(value));
        break;
    case PropKind::Enumeration:
        if (!p->setOrd) break;
        for (size_t i = 0; i < p->identifiers.size(); ++i)
            if (SameTextAscii(p->identifiers[i], value)) {
                p->setOrd(*object, static_cast<int>(i));
                break;
            }
        break;
    case PropKind::String:
    case PropKind::WideString:
        if (p->setText) p->setText(*object, value);
        break;
    case PropKind::Set:
    case PropKind::Object:
        break;
    }
}


}  // namespace tk
