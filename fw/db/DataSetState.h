#pragma once
// A dataset's states, the events it tells its data sources and its event handlers' type, apart from the
// dataset itself: what data sources, links and controls need to name them without the whole dataset class.

#include <functional>

namespace fw {

class TDataSet;

enum TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert, dsSetKey, dsCalcFields };

enum TDataEvent {
    deFieldChange,     // info: the field
    deRecordChange,    // info: nullptr
    deDataSetChange,   // the whole view changed (open, First, Refresh ...)
    deDataSetScroll,   // moved to another record
    deLayoutChange,    // the field list changed
    deUpdateRecord,    // controls are asked to write their pending text into the fields
    deUpdateState,     // the state changed
    deCheckBrowseMode, // the dataset is about to leave the record
};

using TDataSetNotifyEvent = std::function<void(TDataSet&)>;

} // namespace fw
