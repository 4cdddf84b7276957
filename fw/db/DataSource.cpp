#include "fw/db/DataSource.h"

#include "base/Exceptions.h"
#include "base/ProgramState.h"
#include "base/Text.h"
#include "fw/db/DatabaseError.h"
#include "fw/db/DataSet.h"

#include <algorithm>

namespace fw {

// A function's static: the program's layers install their hooks during static initialisation.
TDataLinkHooks& DataLinkHooks() {
    static TDataLinkHooks hooks;
    return hooks;
}

namespace {
[[maybe_unused]] const bool stateResetRegistered =
    base::RegisterStateReset(base::StateLayer::DataFramework, [] { DataLinkHooks() = TDataLinkHooks(); });
} // namespace

// ------------------------------------------------------------------------------------------- TDataSource

TDataSource::~TDataSource() {
    // The controls and handlers told of the end may fail; the source goes all the same.
    try {
        SetDataSet(nullptr);
    } catch (...) {
    }
    for (TDataLink* link : std::vector<TDataLink*>(links_)) {
        try {
            link->SetDataSource(nullptr);
        } catch (...) {
        }
    }
}

void TDataSource::SetDataSet(TDataSet* dataSet) {
    if (dataSet == dataSet_) return;
    if (dataSet_) {
        auto& list = dataSet_->dataSources_;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
    }
    dataSet_ = dataSet;
    if (dataSet_) dataSet_->dataSources_.push_back(this);
    UpdateState();
}

void TDataSource::SetEnabled(bool value) {
    if (enabled_ == value) return;
    enabled_ = value;
    UpdateState();
}

void TDataSource::Edit() {
    if (AutoEdit && dataSet_ && dataSet_->State() == dsBrowse) dataSet_->Edit();
}

void TDataSource::UpdateState() {
    TDataSetState state = enabled_ && dataSet_ ? dataSet_->State() : dsInactive;
    if (state != state_) {
        state_ = state;
        for (TDataLink* link : std::vector<TDataLink*>(links_))
            link->UpdateState();
        if (OnStateChange) OnStateChange(*this);
    }
}

void TDataSource::AddLink(TDataLink* link) {
    links_.push_back(link);
}

void TDataSource::RemoveLink(TDataLink* link) {
    links_.erase(std::remove(links_.begin(), links_.end(), link), links_.end());
}

void TDataSource::NotifyDataLinks(TDataEvent event, const void* info) {
    auto notify = [&] {
        for (TDataLink* link : std::vector<TDataLink*>(links_))
            // A link may leave the source while others are notified.
            if (std::find(links_.begin(), links_.end(), link) != links_.end()) link->DataEvent(event, info);
    };
    if (auto& around = DataLinkHooks().AroundNotify; around && dataSet_)
        around(*dataSet_, notify);
    else
        notify();
}

void TDataSource::DataEvent(TDataEvent event, const void* info) {
    if (event == deUpdateState) {
        UpdateState();
        return;
    }
    if (state_ == dsInactive) return;
    NotifyDataLinks(event, info);
    switch (event) {
    case deFieldChange:
    case deRecordChange:
    case deDataSetChange:
    case deDataSetScroll:
    case deLayoutChange:
        if (OnDataChange)
            OnDataChange(*this,
                         event == deFieldChange ? static_cast<TField*>(const_cast<void*>(info)) : nullptr);
        break;
    case deUpdateRecord:
        if (OnUpdateData) OnUpdateData(*this);
        break;
    default:
        break;
    }
}

// ------------------------------------------------------------------------------------------- TDataLink

TDataLink::~TDataLink() {
    try {
        SetDataSource(nullptr);
    } catch (...) {
    }
}

void TDataLink::SetDataSource(TDataSource* source) {
    if (source == source_) return;
    if (source_) source_->RemoveLink(this);
    source_ = source;
    if (source_) source_->AddLink(this);
    // Moved from one open source to another the link stays active, yet it now follows another dataset:
    // it binds to that one afresh.
    UpdateState(true);
}

void TDataLink::UpdateState(bool rebind) {
    bool active = source_ && source_->State() != dsInactive;
    if (active != active_ || (rebind && active)) {
        active_ = active;
        ActiveChanged();
    }
    bool editing = active_ && (source_->State() == dsEdit || source_->State() == dsInsert) && !ReadOnly;
    if (editing != editing_) {
        editing_ = editing;
        EditingChanged();
    }
}

bool TDataLink::Edit() {
    if (!ReadOnly && source_) source_->Edit();
    return editing_;
}

void TDataLink::UpdateRecord() {
    if (updating_) return;
    updating_ = true;
    try {
        UpdateData();
    } catch (...) {
        updating_ = false;
        throw;
    }
    updating_ = false;
}

void TDataLink::DataEvent(TDataEvent event, const void* info) {
    if (!active_) return;
    switch (event) {
    case deFieldChange:
    case deRecordChange:
        if (!updating_) RecordChanged(static_cast<TField*>(const_cast<void*>(info)));
        break;
    case deDataSetChange:
        DataSetChanged();
        break;
    case deDataSetScroll:
        DataSetScrolled();
        break;
    case deLayoutChange:
        LayoutChanged();
        break;
    case deUpdateRecord:
        UpdateRecord();
        break;
    case deCheckBrowseMode:
        CheckBrowseMode();
        break;
    default:
        break;
    }
}

// ------------------------------------------------------------------------------------------- TMasterDataLink

void TMasterDataLink::SetFieldNames(const std::string& names) {
    if (names == fieldNames_) return;
    fieldNames_ = names;
    ActiveChanged();
}

void TMasterDataLink::ActiveChanged() {
    fields_.clear();
    if (Active()) {
        for (const auto& name : SplitFieldNames(fieldNames_)) {
            TField* field = DataSet()->FindField(name);
            if (!field) break;
            fields_.push_back(field);
        }
        if (OnMasterChange) OnMasterChange();
    } else if (OnMasterDisable) {
        OnMasterDisable();
    }
}

bool TMasterDataLink::MayFollow() {
    auto& hook = DataLinkHooks().MasterMayFollow;
    return !hook || hook(*this);
}

void TMasterDataLink::CheckBrowseMode() {
    if (!MayFollow()) return;
    if (detail_.State() == dsSetKey || detail_.State() == dsInactive) return;
    try {
        detail_.CheckBrowseMode();
    } catch (const base::Abort&) {
        // A rule that dropped the detail's pending row (cancelled it, then stopped its post) leaves
        // nothing behind that the master's move could lose: the master moves on and the detail follows.
        if (detail_.State() == dsEdit || detail_.State() == dsInsert) throw;
    }
}

void TMasterDataLink::RecordChanged(TField* field) {
    if (!MayFollow()) return;
    if (DataSource()->State() == dsSetKey || !OnMasterChange) return;
    if (field && std::find(fields_.begin(), fields_.end(), field) == fields_.end()) return;
    OnMasterChange();
}

} // namespace fw
