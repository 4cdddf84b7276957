#include "registers/CodeListForm.h"

#include "app/data/DataSetServices.h"
#include "base/Finally.h"
#include "base/Text.h"
#include "kit/Mycombo.h"
#include "kit/RequiredFields.h"
#include "registers/FieldTitles.h"
#include "registers/PickTarget.h"
#include "registers/Placing.h"

#include <algorithm>

namespace registers {

TCodeListForm::TCodeListForm(fw::Component* owner) : kit::TMyForm(owner) {
    KeyPreview = true;
    OnShow = [this](fw::Component& sender) { FormShow(sender); };
    OnClose = [this](fw::Component& sender, fw::CloseAction& action) { FormClose(sender, action); };
    OnKeyDown = [this](fw::Component& sender, std::uint16_t& key, fw::Shift shift) {
        FormKeyDown(sender, key, shift);
    };
}

TCodeListForm::~TCodeListForm() = default;

// ------------------------------------------------------------------------------------------ building

fw::TDataSource& TCodeListForm::NewSource(fw::TDataSet* dataSet) {
    sources_.push_back(std::make_unique<fw::TDataSource>());
    sources_.back()->SetDataSet(dataSet);
    return *sources_.back();
}

fw::Label* TCodeListForm::AddLabel(const std::string& caption, int left, int top, int width) {
    auto* label = new fw::Label(this, this);
    label->SetBounds(left, top, width, 20);
    label->SetCaption(caption);
    FitCaption(*label);
    return label;
}

kit::TMyTable* TCodeListForm::AddTable(const std::string& name, const std::string& database,
                                       const std::string& table, const std::string& indexFieldNames) {
    auto* t = new kit::TMyTable(this);
    t->SetName(name);
    t->SetDatabaseName(database);
    t->SetTableName(table);
    t->SetIndexFieldNames(indexFieldNames);
    t->AfterOpen = [](fw::TDataSet& ds) { HideHousekeepingFields(ds); };
    return t;
}

kit::TMyDBGrid* TCodeListForm::AddGrid(const std::string& name, fw::TDataSource& source, int left, int top,
                                       int width, int height) {
    auto* grid = new kit::TMyDBGrid(this, this);
    grid->SetName(name);
    grid->SetBounds(left, top, width, height);
    grid->SetDataSource(&source);
    return grid;
}

kit::TMyTable* TCodeListForm::AddSupplierGroups(fw::TDataSource& suppliers, fw::TDataSource& groups) {
    kit::TMyTable* tMain = AddTable("tMain", "Lokal", "SIF_PART.DB", "Dobavljac;Sifra");
    tMain->AfterOpen = [](fw::TDataSet& ds) {
        for (int i = 0; i < ds.FieldCount(); ++i)
            ds.Fields(i).Visible = ds.Fields(i).FieldName() == "Sifra";
        if (fw::TField* f = ds.FindField("Sifra")) f->SetDisplayLabel("Dobavljač");
    };
    suppliers.SetDataSet(tMain);
    tTable = AddTable("tTable", "Global", "GRUPE.DB", "Partner;Sifra");
    // The supplier's link is the row chosen in the grid above, not a column of its own.
    tTable->AfterOpen = [](fw::TDataSet& ds) { HideHousekeepingFields(ds, {"Partner"}); };
    tTable->SetMasterSource(&suppliers);
    tTable->SetMasterFields("Partner");
    groups.SetDataSet(tTable);
    OnHide = [tMain](fw::Component&) {
        if (tMain->Active()) tMain->CancelRange();
    };
    return tMain;
}

namespace {
// The end of a code range: the highest single character of the table's code page.
const std::string RangeEndCode = "\u02D9";
} // namespace

void TCodeListForm::ListSuppliers(fw::TTable& tMain, std::int32_t partner) {
    using engine::Value;
    tMain.DisableControls();
    base::TryFinally(
        [&] {
            std::string remembered;
            if (partner != 0) {
                tMain.SetIndexFieldNames("Partner");
                tMain.Refresh();
                if (tMain.FindKey({Value::Int(partner)}))
                    remembered = base::CutChars(tMain.FieldByName("Sifra").AsString(), CallerTextChars);
                tMain.SetIndexFieldNames("Dobavljac;Sifra");
            }
            tMain.SetRange({Value::Text("D"), Value::Text("")},
                           {Value::Text("D"), Value::Text(RangeEndCode)});
            if (!tMain.FindKey({Value::Text("D"), Value::Text(remembered)})) tMain.First();
        },
        [&] { tMain.EnableControls(); });
}

void TCodeListForm::BuildFrame(const std::string& keyField, const std::string& keyCaption,
                               const std::string& noun, int width, int height, kit::TDBKeyField* keyEdit) {
    resize(width, height);
    CentreOnScreen();
    keyLabel_ = AddLabel(keyCaption, 10, 13);
    eSifra = keyEdit ? keyEdit : new kit::TDBKeyField(this, this);
    eSifra->SetName("eSifra");
    eSifra->SetBounds(135, 10, 200, 24);
    eSifra->SetDataSource(sources_.empty() ? nullptr : sources_.front().get());
    eSifra->SetDataField(keyField);
    eSifra->DisplayName = keyCaption;
    gTable = new kit::TMyDBGrid(this, this);
    gTable->SetName("gTable");
    gTable->SetBounds(350, 10, width - 360, height - 60);
    gTable->SetDataSource(sources_.empty() ? nullptr : sources_.front().get());
    ZapisiButton = new kit::TMyBitBtn(this, this);
    ZapisiButton->SetName("ZapisiButton");
    ZapisiButton->SetCaption(noun);
    ZapisiButton->SetBounds(10, height - 40, 120, 30);
    ZapisiButton->OnClick = [this](fw::Component& sender) { ZapisiButtonClick(sender); };
    IzlazButton = new kit::TMyBitBtn(this, this);
    IzlazButton->SetName("IzlazButton");
    IzlazButton->SetCaption("Izlaz");
    // A click leaves the focus in the field being typed: the close takes its value as Esc does.
    IzlazButton->Widget().setFocusPolicy(Qt::TabFocus);
    IzlazButton->Cancel = true;
    IzlazButton->SetBounds(140, height - 40, 120, 30);
    IzlazButton->OnClick = [this](fw::Component& sender) { IzlazButtonClick(sender); };
}

void TCodeListForm::MoveKeyTo(int top) {
    eSifra->SetBounds(eSifra->Left(), top, eSifra->Width(), eSifra->Height());
    keyLabel_->SetBounds(keyLabel_->Left(), keyLabel_->Top() + top - 10, keyLabel_->Width(),
                         keyLabel_->Height());
}

void TCodeListForm::HideHousekeepingFields(fw::TDataSet& dataSet, std::initializer_list<const char*> links) {
    for (const char* name : {"Code", "Items", "Temp", "Deklaracija"})
        if (fw::TField* f = dataSet.FindField(name)) f->Visible = false;
    for (const char* name : links)
        if (fw::TField* f = dataSet.FindField(name)) f->Visible = false;
}

// ------------------------------------------------------------------------------------------ handlers

std::string TCodeListForm::CallerText() const {
    if (!Caller) return {};
    fw::Control* active = Caller->ActiveControl();
    std::string text;
    // Kit edits and lookups alike are edits.
    if (auto* edit = dynamic_cast<fw::Edit*>(active)) text = edit->Text();
    return base::CutChars(text, CallerTextChars);
}

std::string TCodeListForm::PickedText() const {
    return KeyEdit()->Text();
}

std::vector<engine::Value> TCodeListForm::SearchKey(const std::string& text) const {
    return {engine::Value::Text(text)};
}

void TCodeListForm::PositionOnCaller() {
    fw::TTable* table = MainTable();
    if (!table || !table->Active()) return;
    const std::string text = CallerText();
    if (text.empty()) {
        table->First();
        return;
    }
    const std::vector<engine::Value> key = SearchKey(text);
    if (!table->FindKey(key)) table->FindNearest(key);
}

void TCodeListForm::OrderTabsAsRecord() {
    // The record reads key first, then its fields as laid out (by rows), then the buttons; the grids come
    // last (Ctrl+Home reaches the main one), so Enter after a code goes on to the code's own fields.
    auto rank = [this](fw::Control* c) {
        if (c == KeyEdit()) return 0;
        if (dynamic_cast<fw::Grid*>(c)) return 3;
        if (dynamic_cast<fw::Button*>(c)) return 2;
        return 1;
    };
    std::vector<fw::Control*> order = TabList();
    std::stable_sort(order.begin(), order.end(), [&](fw::Control* a, fw::Control* b) {
        const int ra = rank(a), rb = rank(b);
        if (ra != rb) return ra < rb;
        if (ra != 1) return false;
        return a->Top() != b->Top() ? a->Top() < b->Top() : a->Left() < b->Left();
    });
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i]->SetTabOrder(static_cast<int>(i));
}

void TCodeListForm::FormShow(fw::Component&) {
    OrderTabsAsRecord();
    BrowseTable = MainTable();
    if (fw::Control* grid = MainGrid(); grid && grid->CanFocus()) grid->SetFocus();
    PositionOnCaller();
}

void TCodeListForm::TitleOwnFields(fw::TDataSet& shown) {
    TitleFields(shown);
}

void TCodeListForm::FormClose(fw::Component&, fw::CloseAction&) {
    if (!Caller || !KeyEdit()) return;
    PickTarget target = PickTargetOf(Caller->ActiveControl());
    if (!target) return;
    fw::TDataSet* dataSet = target.DataSet();
    // A caller with nothing to edit, or whose record another user holds, keeps its value.
    if (!app::HasRecords(dataSet) || !app::StartEdit(dataSet)) return;
    target.SetText(PickedText());
    if (SelectOnWriteBack) target.SelectAll();
}

void TCodeListForm::FormKeyDown(fw::Component&, std::uint16_t& key, fw::Shift shift) {
    kit::CodeListKeyDown(this, key, shift, MainGrid(), ZapisiButton, false);
}

std::vector<fw::TTable*> TCodeListForm::PostedTables() const {
    return {MainTable()};
}

bool TCodeListForm::PostFiles() {
    for (fw::TTable* table : PostedTables())
        app::PostEditAutoSave(table);
    return true;
}

void TCodeListForm::AfterSave() {
    if (app::PostAndAppend(MainTable())) {
        if (KeyEdit()) KeyEdit()->SetFocus();
    } else if (MainGrid()) {
        MainGrid()->SetFocus();
    }
}

void TCodeListForm::ZapisiButtonClick(fw::Component&) {
    // Leaving the edit writes its text into the field.
    ZapisiButton->SetFocus();
    if (ActiveControl() != ZapisiButton) return;
    PostFiles();
    // A record without a value it must hold is not saved as done: the form stays on it.
    if (auto* main = dynamic_cast<kit::TMyTable*>(MainTable()); main && !kit::RequiredValuesPresent(*main))
        return;
    AfterSave();
}

void TCodeListForm::IzlazButtonClick(fw::Component&) {
    Close();
}

} // namespace registers
