#include "controls/IcoList.h"

#include "base/Exceptions.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QtEndian>

namespace controls {

void TIcon::LoadFromData(const QByteArray& data) {
    data_ = data;
    QImage image;
    image.loadFromData(data, "ICO");
    icon_ = image.isNull() ? QIcon() : QIcon(QPixmap::fromImage(image));
    Changed();
}

void TIcon::SetPixmap(const QPixmap& pixmap) {
    QBuffer buffer(&data_);
    data_.clear();
    buffer.open(QIODevice::WriteOnly);
    if (pixmap.isNull() || !pixmap.toImage().save(&buffer, "ICO")) data_.clear();
    icon_ = pixmap.isNull() ? QIcon() : QIcon(pixmap);
    Changed();
}

void TIcon::Assign(const TIcon& other) {
    data_ = other.data_;
    icon_ = other.icon_;
    Changed();
}

void TIcon::Clear() {
    data_.clear();
    icon_ = QIcon();
    Changed();
}

TIconList::~TIconList() {
    OnChange = nullptr;
    for (auto& icon : icons_)
        if (icon) icon->OnChange = nullptr;
}

void TIconList::CheckIndex(int index, int limit) const {
    if (index < 0 || index > limit)
        throw base::Exception("List index out of bounds (" + std::to_string(index) + ")");
}

TIcon* TIconList::Get(int index) const {
    CheckIndex(index, Count() - 1);
    return icons_[static_cast<std::size_t>(index)].get();
}

std::unique_ptr<TIcon> TIconList::Copy(const TIcon& icon) {
    auto copy = std::make_unique<TIcon>();
    copy->Assign(icon);
    copy->OnChange = [this] { Changed(); };
    return copy;
}

void TIconList::Changed() {
    if (updateCount_ == 0 && OnChange) OnChange();
}

void TIconList::EndUpdate() {
    if (updateCount_ > 0 && --updateCount_ == 0) Changed();
}

int TIconList::Add(const TIcon& icon) {
    icons_.push_back(Copy(icon));
    Changed();
    return Count() - 1;
}

int TIconList::AddNull() {
    icons_.push_back(nullptr);
    Changed();
    return Count() - 1;
}

void TIconList::Put(int index, const TIcon& icon) {
    CheckIndex(index, Count());
    BeginUpdate();
    if (index == Count()) Add(TIcon());
    auto& slot = icons_[static_cast<std::size_t>(index)];
    if (!slot) {
        slot = std::make_unique<TIcon>();
        slot->OnChange = [this] { Changed(); };
    }
    slot->Assign(icon);
    EndUpdate();
}

void TIconList::Insert(int index, const TIcon& icon) {
    CheckIndex(index, Count());
    icons_.insert(icons_.begin() + index, Copy(icon));
    Changed();
}

void TIconList::Delete(int index) {
    CheckIndex(index, Count() - 1);
    if (auto& icon = icons_[static_cast<std::size_t>(index)]) icon->OnChange = nullptr;
    icons_.erase(icons_.begin() + index);
    Changed();
}

void TIconList::Exchange(int a, int b) {
    CheckIndex(a, Count() - 1);
    CheckIndex(b, Count() - 1);
    std::swap(icons_[static_cast<std::size_t>(a)], icons_[static_cast<std::size_t>(b)]);
    Changed();
}

void TIconList::Move(int from, int to) {
    CheckIndex(from, Count() - 1);
    CheckIndex(to, Count() - 1);
    auto icon = std::move(icons_[static_cast<std::size_t>(from)]);
    icons_.erase(icons_.begin() + from);
    icons_.insert(icons_.begin() + to, std::move(icon));
    Changed();
}

void TIconList::Clear() {
    BeginUpdate();
    for (int i = Count() - 1; i >= 0; --i)
        Delete(i);
    EndUpdate();
}

int TIconList::IndexOf(const TIcon* icon) const {
    for (int i = 0; i < Count(); ++i)
        if (icons_[static_cast<std::size_t>(i)].get() == icon) return i;
    return -1;
}

void TIconList::Assign(const TIconList* other) {
    BeginUpdate();
    Clear();
    if (other) {
        for (const auto& icon : other->icons_) {
            if (icon)
                Add(*icon);
            else
                AddNull();
        }
    }
    EndUpdate();
}

void TIconList::Assign(const TIcon& icon) {
    BeginUpdate();
    Clear();
    Add(icon);
    EndUpdate();
}

namespace {

void PutInt32(QByteArray& out, std::int32_t v) {
    char bytes[4];
    qToLittleEndian(v, bytes);
    out.append(bytes, 4);
}

std::int32_t TakeInt32(const QByteArray& data, qsizetype& at) {
    if (at + 4 > data.size()) throw base::Exception("Icon list data end too early");
    const std::int32_t v = qFromLittleEndian<std::int32_t>(data.constData() + at);
    at += 4;
    return v;
}

} // namespace

QByteArray TIconList::WriteData() const {
    QByteArray out;
    PutInt32(out, Count());
    for (const auto& icon : icons_) {
        const QByteArray bytes = icon && !icon->Empty() ? icon->SaveToData() : QByteArray();
        PutInt32(out, static_cast<std::int32_t>(bytes.size()));
        out.append(bytes);
    }
    return out;
}

void TIconList::ReadData(const QByteArray& data) {
    qsizetype at = 0;
    const std::int32_t count = TakeInt32(data, at);
    // Every entry needs at least its length: a count beyond that is damaged data.
    if (count < 0 || count > (data.size() - at) / 4) throw base::Exception("Icon list data damaged");
    BeginUpdate();
    try {
        Clear();
        for (std::int32_t i = 0; i < count; ++i) {
            const std::int32_t length = TakeInt32(data, at);
            if (length < 1) {
                AddNull();
                continue;
            }
            if (length > data.size() - at) throw base::Exception("Icon list data damaged");
            TIcon icon;
            icon.LoadFromData(data.mid(at, length));
            at += length;
            Add(icon);
        }
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

} // namespace controls
