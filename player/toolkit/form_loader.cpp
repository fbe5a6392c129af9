#include "form_loader.h"

#include "streams.h"
#include "text_convert.h"

namespace tk {
namespace {
class ResourceReader : public TFiler {
public:
    ResourceReader(const std::string& prefix, const BinaryResourceFinder& finder) : prefix_(prefix), finder_(finder) {}

    void DefineBinaryProperty(const std::wstring& name, StreamProc read, StreamProc, bool) override {
        if (!read || !finder_) return;
        const uint8_t* data = nullptr;
        size_t size = 0;
        if (!finder_(prefix_ + WideToUtf8(AsciiUpperCase(name)), data, size)) return;
        TBoundedStream stream(data, size);
        read(stream);
    }

private:
    std::string prefix_;
    const BinaryResourceFinder& finder_;
};
}  // namespace

FormLoader::FormLoader(TComponent& root, BinaryResourceFinder finder) : root_(root), finder_(std::move(finder)) {
    root_.SetLoadingState(csLoading | csReading);
    created_.push_back(&root_);
}

FormLoader::~FormLoader() {
    // A constructor that threw leaves no component marked as still being read.
    if (!finished_)
        for (TComponent* c : created_) c->ClearLoadingState(csLoading | csReading);
}

void FormLoader::Adopt(TComponent* component, const std::wstring& name) {
    component->SetName(name);
    component->SetLoadingState(csLoading | csReading);
    created_.push_back(component);
}

void FormLoader::ReadBinaryProperties() {
    std::string rootClass = WideToUtf8(AsciiUpperCase(root_.ClassName()));
    for (TComponent* c : created_) {
        std::string prefix = rootClass + "_";
        if (c != &root_) prefix += WideToUtf8(AsciiUpperCase(c->Name())) + "_";
        ResourceReader reader(prefix, finder_);
        c->DefineProperties(reader);
    }
}

void FormLoader::Finish() {
    for (TComponent* c : created_) c->ClearLoadingState(csReading);
    finished_ = true;
    for (TComponent* c : created_) c->Loaded();
}

}  // namespace tk
