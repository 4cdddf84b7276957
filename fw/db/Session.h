#pragma once
// Sessions and databases. A database names a folder of tables (its PATH parameter) under an alias such as
// "Global"; a dataset's DatabaseName is such an alias or a folder path. A database lists the datasets that
// have a cursor open through it, in the order they opened, and closing the database disconnects them.

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace fw {

class TDatabase;
class TDBDataSet;

class TSession {
public:
    explicit TSession(const std::string& name);
    ~TSession();
    TSession(const TSession&) = delete;
    TSession& operator=(const TSession&) = delete;

    const std::string& SessionName() const { return name_; }
    int DatabaseCount() const { return static_cast<int>(databases_.size()); }
    TDatabase& Databases(int index) const { return *databases_.at(static_cast<std::size_t>(index)); }
    // Case-insensitive; nullptr when absent.
    TDatabase* FindDatabase(const std::string& name) const;
    // The database of that alias, connected; a folder path gets a temporary database of its own.
    TDatabase& OpenDatabase(const std::string& name);
    // Keeps the temporary databases connected while no dataset uses them.
    bool KeepConnections = true;

    void AddPassword(const std::string& password);
    void RemovePassword(const std::string& password);
    const std::vector<std::string>& Passwords() const { return passwords_; }
    // Closes every database (and so every dataset opened through them).
    void Close();

private:
    friend class TDatabase;
    std::string name_;
    std::vector<TDatabase*> databases_;
    std::vector<std::unique_ptr<TDatabase>> temporary_;
    std::vector<std::string> passwords_;
};

// The default session, named "Default".
TSession& Session();
// "Default" (any case) or the name of another live session; nullptr otherwise.
TSession* FindSession(const std::string& name);

class TDatabase {
public:
    // Belongs to the given session (the default session when nullptr) for its whole life.
    explicit TDatabase(TSession* session = nullptr);
    ~TDatabase();
    TDatabase(const TDatabase&) = delete;
    TDatabase& operator=(const TDatabase&) = delete;

    std::string Name;
    const std::string& DatabaseName() const { return databaseName_; }
    void SetDatabaseName(const std::string& name);
    std::string DriverName;
    // "KEY=value" lines; PATH is the folder of the tables.
    std::vector<std::string> Params;
    std::string ParamValue(const std::string& key) const;
    void SetParam(const std::string& key, const std::string& value);
    bool KeepConnection = true;
    bool Temporary() const { return temporary_; }
    TSession& Session() const { return *session_; }

    bool Connected() const { return connected_; }
    void SetConnected(bool value) { value ? Open() : Close(); }
    // Checks that the folder exists.
    void Open();
    // Disconnects every dataset (from the last), then closes.
    void Close();
    // The folder of the tables; an error while the database has none.
    std::filesystem::path Directory() const;

    int DataSetCount() const { return static_cast<int>(dataSets_.size()); }
    TDBDataSet& DataSets(int index) const { return *dataSets_.at(static_cast<std::size_t>(index)); }

private:
    friend class TSession;
    friend class TDBDataSet;
    void AddDataSet(TDBDataSet* dataSet);
    void RemoveDataSet(TDBDataSet* dataSet);

    TSession* session_;
    std::string databaseName_;
    bool connected_ = false;
    bool temporary_ = false;
    std::vector<TDBDataSet*> dataSets_;
};

} // namespace fw
