#include "setup/install/InstallTree.h"

#include "base/Exceptions.h"
#include "base/Text.h"
#include "setup/install/Install.h"
#include "setup/kit/KitExceptions.h"

#include <algorithm>

namespace setup {

namespace {

std::vector<TInstallContainer*>& Containers() {
    static std::vector<TInstallContainer*> list;
    return list;
}

std::function<bool(const std::string&)>& LockedHook() {
    static std::function<bool(const std::string&)> hook;
    return hook;
}

bool rebootNeeded = false;

bool IsInstallBde(const TInstallContainer* c) {
    return base::UpperCase(c->ClassName()) == "TINSTALLBDE";
}

} // namespace

TDrvnCompress& SharedCompressor() {
    static TDrvnCompress shared;
    return shared;
}

void SetTargetLockedHook(std::function<bool(const std::string&)> hook) {
    LockedHook() = std::move(hook);
}

bool TargetLocked(const std::string& target) {
    return LockedHook() && LockedHook()(target);
}

bool RebootNeeded() {
    return rebootNeeded;
}

void SetRebootNeeded(bool needed) {
    rebootNeeded = needed;
}

// --- TInstallContainer ---

TInstallContainer::TInstallContainer(std::string name) : name_(std::move(name)) {
    Containers().push_back(this);
}

TInstallContainer::~TInstallContainer() {
    auto& list = Containers();
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    for (TInstallContainer* c : list) {
        c->children_.erase(std::remove(c->children_.begin(), c->children_.end(), this), c->children_.end());
        if (c->parent_ == this) c->parent_ = nullptr;
        if (c->SoleReceiver == this) c->SoleReceiver = nullptr;
    }
}

int TInstallContainer::RegisteredType() const {
    throw IEInstallContainer("Class must declare a registered type");
}

std::string TInstallContainer::ClassName() const {
    return "TInstallContainer";
}

void TInstallContainer::SetInstallTypes(TInstallTypeSet types) {
    if (types == 0 || ((types & AlwaysTypes) && !(installTypes_ & AlwaysTypes)))
        installTypes_ = AlwaysTypes;
    else if ((types & AlwaysTypes) && types != AlwaysTypes)
        installTypes_ = types & ~AlwaysTypes;
    else
        installTypes_ = types;
}

void TInstallContainer::SetOrder(int order) {
    order_ = order;
    if (TInstallContainer* p = parent_) {
        p->Remove(this);
        p->Add(this);
    }
}

void TInstallContainer::SetCurrentInstallType(TInstallType type) {
    current_ = type;
    for (TInstallContainer* c : children_)
        c->SetCurrentInstallType(type);
}

void TInstallContainer::Add(TInstallContainer* child) {
    if (!child) throw IEInstallContainer("Cannot add a blank base helper component to %s", {Name()});
    for (const TInstallContainer* c = this; c; c = c->parent_)
        if (c == child) throw IEInstallContainer("Circular reference");
    if (std::find(children_.begin(), children_.end(), child) != children_.end()) return;
    if (child->parent_ && child->parent_ != this) child->parent_->Remove(child);
    child->parent_ = this;
    Insert(child);
    Renumber();
}

void TInstallContainer::Insert(TInstallContainer* child) {
    if (IsInstallBde(child)) {
        children_.insert(children_.begin(), child);
        return;
    }
    const int type = child->RegisteredType();
    for (auto it = children_.begin(); it != children_.end(); ++it) {
        TInstallContainer* c = *it;
        if (IsInstallBde(c)) continue;
        const int t = c->RegisteredType();
        if (t > type || (t == type && child->order_ != -1 && c->order_ >= child->order_)) {
            children_.insert(it, child);
            return;
        }
    }
    children_.push_back(child);
}

void TInstallContainer::Renumber() {
    int order = 0;
    int lastType = 0;
    bool first = true;
    for (TInstallContainer* c : children_) {
        const int t = c->RegisteredType();
        if (first || t != lastType) order = 0;
        c->order_ = order++;
        lastType = t;
        first = false;
    }
}

void TInstallContainer::Remove(TInstallContainer* child) {
    const auto it = std::find(children_.begin(), children_.end(), child);
    if (it == children_.end()) return;
    children_.erase(it);
    if (child->parent_ == this) child->parent_ = nullptr;
    Renumber();
}

TInstallContainer* TInstallContainer::Items(int index) const {
    if (index < 0 || index >= Count())
        throw IEInstallContainer("Tried to reference a helper component in the following component: %s. The "
                                 "following index was used: %d",
                                 {Name(), index});
    return children_[static_cast<std::size_t>(index)];
}

TInstallContainer* TInstallContainer::Comp(int index, int registeredType) const {
    int n = 0;
    for (TInstallContainer* c : children_)
        if (c->RegisteredType() == registeredType && n++ == index) return c;
    throw IEInstallContainer("Bad call to the Comp procedure which returns a TInstallObject for a "
                             "TInstallContainer component. The parameters are probably reversed. Index: %d, "
                             "ComponentType: %d",
                             {index, registeredType});
}

int TInstallContainer::FileContainerCount() const {
    return static_cast<int>(std::count_if(children_.begin(), children_.end(),
                                          [](auto* c) { return c->RegisteredType() == rtFileContainer; }));
}

int TInstallContainer::FileCount() const {
    return static_cast<int>(std::count_if(children_.begin(), children_.end(),
                                          [](auto* c) { return c->RegisteredType() == rtFile; }));
}

TCustomInstallFile* TInstallContainer::FindFile(const std::string& sourcePath) const {
    for (TInstallContainer* c : children_) {
        if (auto* f = dynamic_cast<TCustomInstallFile*>(c); f && base::SameText(f->SourcePath(), sourcePath))
            return f;
        if (TCustomInstallFile* found = c->FindFile(sourcePath)) return found;
    }
    return nullptr;
}

bool TInstallContainer::Selected() const {
    if (!Include) return false;
    if (current_ == itAlways || current_ == itCustom) return true;
    if (installTypes_ & AlwaysTypes) return true;
    return (installTypes_ & InstallTypeBit(current_)) != 0;
}

void TInstallContainer::Broadcast(TInstallContainer* sender, int code, TParameter* param) {
    if (SoleReceiver) {
        SoleReceiver->Receive(sender, code, param);
    } else {
        const std::vector<TInstallContainer*> receivers = children_; // a receiver may change the tree
        for (TInstallContainer* c : receivers)
            if (c->RegisteredType() == rtDialog) c->Receive(sender, code, param);
    }
    TCustomInstall* root = Root();
    if (root && root != this) root->Broadcast(sender, code, param);
}

void TInstallContainer::Notify(TInstallContainer* child, int code, TParameter* param) {
    if (parent_) parent_->Notify(child, code, param);
}

void TInstallContainer::Receive(TInstallContainer*, int, TParameter*) {}

TCustomInstall* TInstallContainer::Root() const {
    return nullptr;
}

void TInstallContainer::ShowStatus(const std::string& text) {
    TMessageParameter p(text);
    Broadcast(this, -974, &p);
}

void TInstallContainer::HideStatus() {
    Broadcast(this, -973, nullptr);
}

void TInstallContainer::Process() {
    try {
        Broadcast(this, -990, nullptr);
        if (Include) {
            Broadcast(this, -999, nullptr);
            if (!Selected()) return;
            InstallChildren();
            processed_ = true;
            if (TCustomInstall* root = Root())
                WriteUninstallData(UninstallKeyBase + root->Information.ProductName);
        }
        Broadcast(this, -989, nullptr);
    } catch (const base::Abort&) {
        // a silent abort ends this container only
    }
}

void TInstallContainer::InstallChildren() {
    const std::vector<TInstallContainer*> children = children_;
    for (TInstallContainer* c : children)
        if (c->Include && c->RegisteredType() != rtDialog) c->Process();
}

void TInstallContainer::WriteUninstallData(const std::string&) {}

// --- TInstallObject ---

TInstallObject::~TInstallObject() {
    if (parent_) parent_->Remove(this);
}

void TInstallObject::SetContainer(TInstallContainer* container) {
    if (container == parent_) return;
    if (parent_) parent_->Remove(this);
    if (container) {
        container->Add(this);
        SetDestDirType(&FindKind<psContainerDestDir>());
        SetDestDir("");
    } else if (DestDirType() && dynamic_cast<const psContainerDestDir*>(DestDirType())) {
        SetDestDirType(nullptr);
    }
}

TCustomInstall* TInstallObject::Root() const {
    for (TInstallContainer* c = parent_; c; c = c->parent_)
        if (auto* root = dynamic_cast<TCustomInstall*>(c)) return root;
    return nullptr;
}

} // namespace setup
