#include "fw/db/Session.h"

#include "base/Text.h"
#include "fw/db/BDEDataSet.h"
#include "fw/db/DatabaseError.h"

#include <algorithm>

namespace fw {

namespace {
std::vector<TSession*>& LiveSessions() {
    static std::vector<TSession*> sessions;
    return sessions;
}

bool LooksLikePath(const std::string& name) {
    return name.find('/') != std::string::npos || name.find('\\') != std::string::npos ||
           (name.find('.') == 0);
}
} // namespace

TSession::TSession(const std::string& name) : name_(name) {
    LiveSessions().push_back(this);
}

TSession::~TSession() {
    auto& live = LiveSessions();
    live.erase(std::remove(live.begin(), live.end(), this), live.end());
    try {
        Close();
    } catch (...) {
    }
    temporary_.clear();
    for (TDatabase* db : databases_)
        db->session_ = nullptr;
}

TSession& Session() {
    static TSession session("Default");
    return session;
}

TSession* FindSession(const std::string& name) {
    if (name.empty() || base::SameText(name, "Default")) return &Session();
    for (TSession* s : LiveSessions())
        if (base::SameText(s->SessionName(), name)) return s;
    return nullptr;
}

TDatabase* TSession::FindDatabase(const std::string& name) const {
    for (TDatabase* db : databases_)
        if (base::SameText(db->DatabaseName(), name)) return db;
    return nullptr;
}

TDatabase& TSession::OpenDatabase(const std::string& name) {
    if (base::Trim(name).empty()) DatabaseError("Skup podataka nema bazu podataka");
    TDatabase* db = FindDatabase(name);
    if (!db) {
        if (!LooksLikePath(name) && !std::filesystem::is_directory(name))
            DatabaseError("Baza podataka '" + name + "' nije definirana");
        auto temp = std::make_unique<TDatabase>(this);
        temp->SetDatabaseName(name);
        temp->SetParam("PATH", name);
        temp->temporary_ = true;
        temp->KeepConnection = KeepConnections;
        db = temp.get();
        temporary_.push_back(std::move(temp));
    }
    if (!db->Connected()) db->Open();
    return *db;
}

void TSession::AddPassword(const std::string& password) {
    if (std::find(passwords_.begin(), passwords_.end(), password) == passwords_.end())
        passwords_.push_back(password);
}

void TSession::RemovePassword(const std::string& password) {
    passwords_.erase(std::remove(passwords_.begin(), passwords_.end(), password), passwords_.end());
}

void TSession::Close() {
    for (auto i = databases_.size(); i-- > 0;)
        if (i < databases_.size()) databases_[i]->Close();
}

TDatabase::TDatabase(TSession* session) : session_(session ? session : &fw::Session()) {
    session_->databases_.push_back(this);
}

TDatabase::~TDatabase() {
    try {
        Close();
    } catch (...) {
    }
    for (TDBDataSet* ds : dataSets_)
        ds->database_ = nullptr;
    if (session_) {
        auto& list = session_->databases_;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
    }
}

void TDatabase::SetDatabaseName(const std::string& name) {
    if (connected_) DatabaseError("Ime otvorene baze podataka ne može se mijenjati");
    databaseName_ = name;
}

std::string TDatabase::ParamValue(const std::string& key) const {
    for (const auto& line : Params) {
        auto eq = line.find('=');
        if (eq != std::string::npos && base::SameText(base::Trim(line.substr(0, eq)), key))
            return line.substr(eq + 1);
    }
    return "";
}

void TDatabase::SetParam(const std::string& key, const std::string& value) {
    for (auto& line : Params) {
        auto eq = line.find('=');
        if (eq != std::string::npos && base::SameText(base::Trim(line.substr(0, eq)), key)) {
            line = key + "=" + value;
            return;
        }
    }
    Params.push_back(key + "=" + value);
}

std::filesystem::path TDatabase::Directory() const {
    std::string path = ParamValue("PATH");
    if (base::Trim(path).empty()) DatabaseError("Baza podataka '" + databaseName_ + "' nema zadanu mapu");
    return std::filesystem::path(path);
}

void TDatabase::Open() {
    if (connected_) return;
    auto folder = Directory();
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec))
        DatabaseError("Mapa '" + folder.string() + "' baze podataka '" + databaseName_ + "' ne postoji");
    connected_ = true;
}

void TDatabase::Close() {
    if (!connected_) return;
    while (!dataSets_.empty()) {
        TDBDataSet* last = dataSets_.back();
        last->Disconnect();
        // Whatever the dataset did, it no longer uses this database.
        RemoveDataSet(last);
    }
    connected_ = false;
}

void TDatabase::AddDataSet(TDBDataSet* dataSet) {
    if (std::find(dataSets_.begin(), dataSets_.end(), dataSet) == dataSets_.end())
        dataSets_.push_back(dataSet);
}

void TDatabase::RemoveDataSet(TDBDataSet* dataSet) {
    auto it = std::find(dataSets_.begin(), dataSets_.end(), dataSet);
    if (it == dataSets_.end()) return;
    dataSets_.erase(it);
    if (dataSet->database_ == this) dataSet->database_ = nullptr;
    if (dataSets_.empty() && !KeepConnection) connected_ = false;
}

} // namespace fw
