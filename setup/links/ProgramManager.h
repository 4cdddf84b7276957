#pragma once
#include "setup/kit/KitExceptions.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace setup {

namespace pm {
// The Program Manager's failures; EAIPMError and EAIPMCannotOpen live with the kit's exceptions.
class EAIPMCannotOpenGroup : public EAIPMError {
public:
    explicit EAIPMCannotOpenGroup(const std::string& group);
    std::string Group;
};
class EAIPMCannotCreateGroup : public EAIPMError {
public:
    explicit EAIPMCannotCreateGroup(const std::string& group);
    std::string Group;
};
class EAIPMCannotAddItem : public EAIPMError {
public:
    EAIPMCannotAddItem(const std::string& group, const std::string& command, const std::string& name);
    std::string Group, Command, Name;
};
class EAIPMCannotReplaceItem : public EAIPMError {
public:
    EAIPMCannotReplaceItem(const std::string& group, const std::string& name);
    std::string Group, Name;
};
} // namespace pm

// The conversation with a Program Manager: commands executed and items requested. This system has no
// Program Manager, so by default there is no conversation and opening one fails; tests plug in their own.
class ProgramManagerLink {
public:
    virtual ~ProgramManagerLink() = default;
    virtual bool Execute(const std::string& command) = 0;
    // The reply's lines, or nothing when the request failed.
    virtual std::optional<std::vector<std::string>> Request(const std::string& item) = 0;
};

// Builds the Program Manager's command strings ("[CreateGroup(...)]", "[AddItem(...)]", ...) and keeps
// the current group's lines (first the group, then one line per item, fields separated by ",").
class TProgramManager {
public:
    // nullptr: the open fails (EAIPMCannotOpen), as it does on this system.
    void SetLink(std::unique_ptr<ProgramManagerLink> link) { link_ = std::move(link); }

    void SelectGroup(const std::string& name);
    std::vector<std::string> GroupNames();
    void CreateGroup(const std::string& name);
    void AddItem(const std::string& commandLine, const std::string& name, int hotKey,
                 const std::string& defaultDir, int iconIndex, const std::string& iconPath);
    void ReplaceItem(const std::string& name);
    // From 1; -1 when no item has that name.
    int FindItem(const std::string& name) const;
    int ItemCount() const;
    // Fields 1 and 2 without surrounding double quotes, fields 3 to 8 as they stand.
    std::string ItemField(int item, int field) const;
    const std::string& CurrentGroup() const { return group_; }

    // The command texts (no conversation needed).
    static std::string CreateGroupCommand(const std::string& name);
    static std::string ShowGroupCommand(const std::string& group);
    static std::string AddItemCommand(const std::string& commandLine, const std::string& name, int hotKey,
                                      const std::string& defaultDir, int iconIndex,
                                      const std::string& iconPath);
    static std::string ReplaceItemCommand(const std::string& name);

private:
    ProgramManagerLink& Open();
    std::unique_ptr<ProgramManagerLink> link_;
    std::string group_;
    std::vector<std::string> lines_;
};

// The one Program Manager of the process.
TProgramManager& ProgramManager();

} // namespace setup
