#pragma once
// A list's current row in the selection colour only while the list has the keys, in grey otherwise, so
// that the user sees which control Enter and the arrows go to.

class QWidget;

namespace kit {

void MarkCurrentRow(QWidget& list, bool focused);

} // namespace kit
