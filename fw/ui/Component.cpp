#include "fw/ui/Component.h"

#include "base/Text.h"

#include <algorithm>

namespace fw {

namespace {
int readingDepth = 0;
}

ReadingScope::ReadingScope() {
    ++readingDepth;
}
ReadingScope::~ReadingScope() {
    --readingDepth;
}

Component::Component(Component* owner) : owner_(owner) {
    if (readingDepth > 0) state_ |= csReading | csLoading;
    if (owner_) owner_->components_.push_back(this);
}

Component::~Component() {
    DestroyComponents();
    if (owner_) {
        auto& list = owner_->components_;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
    }
}

void Component::operator delete(Component* c, std::destroying_delete_t) {
    c->MarkDestroying();
    // The component may be a base at an offset inside the allocated object.
    void* whole = dynamic_cast<void*>(c);
    c->~Component();
    ::operator delete(whole);
}

void Component::MarkDestroying() {
    if (state_ & csDestroying) return;
    state_ |= csDestroying;
    for (Component* c : components_)
        c->MarkDestroying();
}

void Component::DestroyComponents() {
    // The whole tree below first: while one part is freed, no other part runs a handler of the half-freed.
    MarkDestroying();
    // Owned components go first, newest first; the ones a parent widget frees only forget their owner.
    while (!components_.empty()) {
        Component* c = components_.back();
        components_.pop_back();
        c->owner_ = nullptr;
        if (!c->FreedByParentWidget()) delete c;
    }
}

bool Component::InDestruction() const {
    for (const Component* c = this; c; c = c->owner_)
        if (c->state_ & csDestroying) return true;
    return false;
}

int Component::ComponentIndex() const {
    if (!owner_) return -1;
    const auto& list = owner_->components_;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

Component* Component::FindComponent(std::string_view name) const {
    for (Component* c : components_)
        if (!c->name_.empty() && base::SameText(c->name_, name)) return c;
    return nullptr;
}

void Component::Loaded() {
    state_ &= ~(csReading | csLoading);
}

void Component::LoadTree() {
    // A copy: Loaded may create further components.
    std::vector<Component*> list = components_;
    for (Component* c : list)
        c->LoadTree();
    if (state_ & (csReading | csLoading)) Loaded();
}

} // namespace fw
