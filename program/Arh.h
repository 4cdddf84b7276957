#pragma once
// TArh: the archive form. It packs the program's settings, tables and index files into the zip named
// after the program file in the program folder, and copies it with the date in its name to the folder
// chosen in its folder list.

#include "app/archive/ArchiveCommand.h"
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

// The folders of the file system, one of them chosen; the arrows move through them. The chosen folder is
// the one the user (or the program) picked: when it disappears (a stick pulled out) it stays chosen
// rather than the list's selection sliding to a neighbour.
class TDirectoryListBox : public fw::ControlOf<QTreeView> {
public:
    explicit TDirectoryListBox(fw::Control* parent, fw::Component* owner = nullptr);
    std::filesystem::path Directory() const { return chosen_; }
    void SetDirectory(const std::filesystem::path& folder);
    std::function<void()> OnChange;
    bool WantsKey(std::uint16_t key, fw::Shift shift) const override;
    const QFileSystemModel& Model() const { return model_; }

    // The chosen row is marked in the selection colour only while the list is the form's active control,
    // in grey otherwise, so that where the keys go is plain to see.
    void DoEnter() override;
    void DoExit() override;

private:
    void MarkFocus(bool focused);
    void Choose(const QModelIndex& index);
    // The chosen folder's row opened and scrolled into view; the model fills in its folders lazily, so
    // this runs again as they arrive.
    void RevealChosen();
    // The chosen folder is gone: no row is marked as the destination, so the list and the label agree.
    void ForgetVanishedRow();

    QFileSystemModel model_;
    std::filesystem::path chosen_;
    bool removingRows_ = false;
    bool revealPending_ = false;
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
    // A run is under way (it works on a thread of its own; the window stays alive).
    bool Archiving() const { return runner_.Running(); }
    // Runs on the GUI thread when a run has ended.
    std::function<void(bool succeeded)> OnArchived;

    void FormShow(fw::Component& sender);
    void bArhivirajClick(fw::Component& sender);

protected:
    // Hidden (closed, or the program ending): a run still going is stopped and waited for.
    void hideEvent(QHideEvent* event) override;

private:
    void ShowStatus(const std::string& text);
    ArchiveRunner runner_;
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
