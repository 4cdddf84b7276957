#pragma once
// Data sources and data links: how controls and detail datasets follow a dataset. A dataset tells its data
// sources of every change (DataEvent); each source passes it to its links, which turn it into the calls
// below (record changed, active changed, editing changed, update data, check browse mode).

#include "fw/db/DataSetState.h"

#include <functional>
#include <string>
#include <vector>

namespace fw {

class TDataSet;
class TField;
class TDataLink;
class TMasterDataLink;

// Process-wide hooks around the notifications; the program's dataset layer installs them to keep detail
// datasets still while the post helpers post their master.
struct TDataLinkHooks {
    // Wraps every notification of a dataset's links (a data source's NotifyDataLinks and a dataset's
    // DataEvent); the default just runs notify.
    std::function<void(TDataSet& dataSet, const std::function<void()>& notify)> AroundNotify;
    // Asked before a master link makes its detail dataset leave its record or follow the master; false
    // leaves the detail as it is.
    std::function<bool(TMasterDataLink& link)> MasterMayFollow;
};
TDataLinkHooks& DataLinkHooks();

class TDataSource {
public:
    TDataSource() = default;
    explicit TDataSource(TDataSet* dataSet) { SetDataSet(dataSet); }
    ~TDataSource();
    TDataSource(const TDataSource&) = delete;
    TDataSource& operator=(const TDataSource&) = delete;

    std::string Name;
    int Tag = 0;
    TDataSet* DataSet() const { return dataSet_; }
    void SetDataSet(TDataSet* dataSet);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    bool AutoEdit = true;
    // The dataset's state; inactive with no dataset or while disabled.
    TDataSetState State() const { return state_; }
    // Puts the dataset into edit when AutoEdit allows and it is browsing.
    void Edit();

    std::function<void(TDataSource& sender, TField* field)> OnDataChange;
    std::function<void(TDataSource& sender)> OnStateChange;
    std::function<void(TDataSource& sender)> OnUpdateData;

    // Passes an event of the dataset on to every link.
    void NotifyDataLinks(TDataEvent event, const void* info);

private:
    friend class TDataSet;
    friend class TDataLink;
    void DataEvent(TDataEvent event, const void* info);
    void UpdateState();
    void AddLink(TDataLink* link);
    void RemoveLink(TDataLink* link);

    TDataSet* dataSet_ = nullptr;
    bool enabled_ = true;
    TDataSetState state_ = dsInactive;
    std::vector<TDataLink*> links_;
};

class TDataLink {
public:
    TDataLink() = default;
    virtual ~TDataLink();
    TDataLink(const TDataLink&) = delete;
    TDataLink& operator=(const TDataLink&) = delete;

    TDataSource* DataSource() const { return source_; }
    void SetDataSource(TDataSource* source);
    TDataSet* DataSet() const { return source_ ? source_->DataSet() : nullptr; }
    bool Active() const { return active_; }
    bool Editing() const { return editing_; }
    bool ReadOnly = false;
    // Starts an edit through the data source; true when the dataset is then editing.
    bool Edit();
    // Writes the control's pending data (UpdateData) unless already doing so.
    void UpdateRecord();

protected:
    virtual void ActiveChanged() {}
    virtual void CheckBrowseMode() {}
    virtual void DataSetChanged() { RecordChanged(nullptr); }
    virtual void DataSetScrolled() { DataSetChanged(); }
    virtual void EditingChanged() {}
    virtual void LayoutChanged() { DataSetChanged(); }
    virtual void RecordChanged(TField*) {}
    virtual void UpdateData() {}

private:
    friend class TDataSource;
    void DataEvent(TDataEvent event, const void* info);
    // With rebind an active link tells itself of its dataset again, even when it was active before.
    void UpdateState(bool rebind = false);

    TDataSource* source_ = nullptr;
    bool active_ = false;
    bool editing_ = false;
    bool updating_ = false;
};

// The link of a detail dataset to its master: the master's fields named by FieldNames (";"-separated,
// case-insensitive). The field list stops at the first name the master does not have.
class TMasterDataLink : public TDataLink {
public:
    explicit TMasterDataLink(TDataSet& detail) : detail_(detail) {}

    TDataSet& DetailDataSet() const { return detail_; }
    const std::string& FieldNames() const { return fieldNames_; }
    void SetFieldNames(const std::string& names);
    const std::vector<TField*>& Fields() const { return fields_; }

    std::function<void()> OnMasterChange;
    std::function<void()> OnMasterDisable;

protected:
    void ActiveChanged() override;
    void CheckBrowseMode() override;
    void LayoutChanged() override { ActiveChanged(); }
    void RecordChanged(TField* field) override;

private:
    bool MayFollow();
    TDataSet& detail_;
    std::string fieldNames_;
    std::vector<TField*> fields_;
};

} // namespace fw
