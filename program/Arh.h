#pragma once
// TArh: the archive form. It packs the program's settings, tables and index files into the zip named
// after the program file in the program folder, and copies it with the date in its name to the folder
// chosen in its folder list.

#include "app/archive/ZipMaster.h"
#include "fw/ui/ExtCtrls.h"
#include "fw/ui/StdCtrls.h"
#include "kit/KitButtons.h"
#include "kit/MyForm.h"

#include <filesystem>
#include <functional>
#include <QFileSystemModel>
#include <QTreeView>

namespace app {

// The folders of the file system, one of them current; the arrows move through them.
class TDirectoryListBox : public fw::ControlOf<QTreeView> {
public:
    explicit TDirectoryListBox(fw::Control* parent, fw::Component* owner = nullptr);
    std::filesystem::path Directory() const;
    void SetDirectory(const std::filesystem::path& folder);
    std::function<void()> OnChange;
    bool WantsKey(std::uint16_t key, fw::Shift shift) const override;

private:
    QFileSystemModel model_;
};

class TArh : public kit::TMyForm {
public:
    explicit TArh(fw::Component* owner);
    ~TArh() override;

    fw::Label* Label1;
    TDirectoryListBox* DirectoryListBox1;
    fw::Label* lDir;
    fw::Panel* pCopy;
    fw::Gauge* Animate;
    kit::TMyBitBtn* bArhiviraj;
    TZipMaster ZipMaster1;
    // The program file's name without its extension.
    std::string ArchiveName;
    // Whether the last archive command succeeded (zip and dated copy written and verified).
    bool LastRunSucceeded = false;

    void FormShow(fw::Component& sender);
    void bArhivirajClick(fw::Component& sender);
};

struct ArchiveFormState {
    // The form variable: nil until the first opening.
    TArh* Arh = nullptr;
};
// Reset with the program's state.
extern ArchiveFormState ArchiveForm;

// Opens the archive form over the caller.
void PrikaziArhiviranje(fw::Form* Caller);

} // namespace app
