#pragma once
// Whether the record an edit writes into exists yet: a value typed for a record whose code is not made, or
// whose master record is not stored, would be dropped when the code is made or stored under no record.
// Such an edit takes no key and says why, once a visit.

#include <cstdint>

namespace fw {
class Control;
class TDataSet;
} // namespace fw

namespace kit {

inline constexpr const char* NoRecordYetText = "Zapis još ne postoji: prvo unesite njegovu šifru.";

// Every record the data set's current record belongs to (its master, the master's master) is stored.
bool OwnersStored(const fw::TDataSet* dataSet);
// The owners are stored, and a new record the form's code control is making has its code.
bool RecordMade(const fw::Control& edit, const fw::TDataSet* dataSet);

// The key filter of an edit of the record: a key that changes the text is refused while the record is not
// made (told at the first, a beep after it); true when the key may go on. told belongs to the visit.
bool TakesTextKey(const fw::Control& edit, const fw::TDataSet* dataSet, std::uint8_t& key, bool& told);

} // namespace kit
