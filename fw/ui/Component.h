#pragma once
#include <cstdint>
#include <new>
#include <string>
#include <string_view>
#include <vector>

namespace fw {

// Component state flags (only those the program reads).
enum ComponentStateFlag : unsigned {
    csReading = 1, // being built by its form's construction, before Loaded
    csLoading = 2,
    csDestroying = 4,
    csDesigning = 8, // never set: there is no designer at run time
};

// Bits and fields of a component's Tag with a meaning for the framework and the kit (a dataset's Tag bits
// are the shell's own: app/data/DBMine.h).
inline constexpr std::int32_t TagStateMask = 0x3FF;
inline constexpr std::int32_t TagTablesOpening = 0x2000;
inline constexpr std::int32_t TagOwnArrowKeys = 0x40000000;

// The root of the component tree: a name, a Tag, and an owner that holds its components in creation order.
// An owner frees the components it owns when it goes, except widgets that their parent widget frees.
class Component {
public:
    explicit Component(Component* owner);
    virtual ~Component();
    Component(const Component&) = delete;
    Component& operator=(const Component&) = delete;
    // A deleted component and everything it owns count as being freed before any destructor runs: while a
    // form's members go, no event of its controls and tables reaches the form's handlers.
    static void operator delete(Component* c, std::destroying_delete_t);

    const std::string& Name() const { return name_; }
    void SetName(std::string name) { name_ = std::move(name); }
    std::int32_t Tag() const { return tag_; }
    void SetTag(std::int32_t tag) { tag_ = tag; }

    Component* Owner() const { return owner_; }
    int ComponentCount() const { return static_cast<int>(components_.size()); }
    Component* Components(int index) const { return components_.at(static_cast<std::size_t>(index)); }
    int ComponentIndex() const;
    // The owned component of that name (case-insensitive), or nullptr.
    Component* FindComponent(std::string_view name) const;

    unsigned ComponentState() const { return state_; }
    bool Reading() const { return (state_ & csReading) != 0; }
    // While this component or one of its owners is being freed: its events no longer reach their handlers,
    // which belong to an owner that is partly gone.
    bool InDestruction() const;

    // Called once when the construction that created the component has finished.
    virtual void Loaded();
    // Runs Loaded on every component of the tree below (in creation order), then on this one.
    void LoadTree();

protected:
    // Frees the owned components now (as the destructor would): a form whose events call its own members
    // does this in its destructor, while those members still exist.
    void DestroyComponents();
    // Widgets with a parent widget are freed by it, not by their owner.
    virtual bool FreedByParentWidget() const { return false; }

private:
    void MarkDestroying();

    std::string name_;
    std::int32_t tag_ = 0;
    Component* owner_;
    std::vector<Component*> components_;
    unsigned state_ = 0;
};

// While one of these lives, new components count as read from their form's description (csReading).
class ReadingScope {
public:
    ReadingScope();
    ~ReadingScope();
    ReadingScope(const ReadingScope&) = delete;
    ReadingScope& operator=(const ReadingScope&) = delete;
};

inline std::int32_t TagState(const Component& c) {
    return c.Tag() & TagStateMask;
}
inline void SetTagState(Component& c, std::int32_t state) {
    c.SetTag((c.Tag() & ~TagStateMask) | (state & TagStateMask));
}

// Sets bits of a component's Tag for a scope and restores them (to their previous value) on every path.
class ScopedTagBits {
public:
    ScopedTagBits(Component& c, std::int32_t bits) : c_(c), bits_(bits), old_(c.Tag() & bits) {
        c.SetTag(c.Tag() | bits);
    }
    ~ScopedTagBits() { c_.SetTag((c_.Tag() & ~bits_) | old_); }
    ScopedTagBits(const ScopedTagBits&) = delete;
    ScopedTagBits& operator=(const ScopedTagBits&) = delete;

private:
    Component& c_;
    std::int32_t bits_;
    std::int32_t old_;
};

} // namespace fw
