#pragma once
// TIcon: one icon held as the bytes of an icon file; TIconList: a list of owned icons that reports
// every change, streamed as one block of raw data.

#include <functional>
#include <memory>
#include <QByteArray>
#include <QIcon>
#include <QPixmap>
#include <vector>

namespace controls {

class TIcon {
public:
    TIcon() = default;
    // The icon-file bytes; bytes that hold no picture leave the icon empty.
    void LoadFromData(const QByteArray& data);
    QByteArray SaveToData() const { return data_; }
    // Takes a picture of our own as the icon (kept as icon-file bytes).
    void SetPixmap(const QPixmap& pixmap);
    void Assign(const TIcon& other);
    void Clear();
    bool Empty() const { return icon_.isNull(); }
    const QIcon& Icon() const { return icon_; }
    std::function<void()> OnChange;

private:
    void Changed() {
        if (OnChange) OnChange();
    }
    QByteArray data_;
    QIcon icon_;
};

class TIconList {
public:
    TIconList() = default;
    ~TIconList();
    TIconList(const TIconList&) = delete;
    TIconList& operator=(const TIconList&) = delete;

    int Count() const { return static_cast<int>(icons_.size()); }
    // An entry may be nullptr.
    TIcon* Get(int index) const;
    // Copies the icon into the entry (one past the end appends).
    void Put(int index, const TIcon& icon);
    int Add(const TIcon& icon);
    int AddNull();
    void Insert(int index, const TIcon& icon);
    void Delete(int index);
    void Exchange(int a, int b);
    void Move(int from, int to);
    void Clear();
    int IndexOf(const TIcon* icon) const;
    // A copy of each icon of the other list (nullptr clears).
    void Assign(const TIconList* other);
    void Assign(const TIcon& icon);

    void BeginUpdate() { ++updateCount_; }
    void EndUpdate();
    std::function<void()> OnChange;

    // The raw "Icons" data: Int32 count, then per entry an Int32 length (0 for none) and the icon file.
    QByteArray WriteData() const;
    // Replaces the list by the entries of such data; data that ends early or holds an impossible count
    // or length throws.
    void ReadData(const QByteArray& data);

private:
    void Changed();
    std::unique_ptr<TIcon> Copy(const TIcon& icon);
    void CheckIndex(int index, int limit) const;
    std::vector<std::unique_ptr<TIcon>> icons_;
    int updateCount_ = 0;
};

} // namespace controls
