#include "setup/links/ProgramManager.h"

#include "base/ProgramState.h"
#include "setup/kit/KitFormat.h"
#include "setup/kit/KitRoutines.h"

namespace setup {

namespace pm {

EAIPMCannotOpenGroup::EAIPMCannotOpenGroup(const std::string& group)
    : EAIPMError(FormatText(
          TranslateText("The TProgramManager object was unable to open the following program group: %s"),
          {group})),
      Group(group) {}

EAIPMCannotCreateGroup::EAIPMCannotCreateGroup(const std::string& group)
    : EAIPMError(FormatText(
          TranslateText("The TProgramManager object was unable to create the following program group: %s"),
          {group})),
      Group(group) {}

EAIPMCannotAddItem::EAIPMCannotAddItem(const std::string& group, const std::string& command,
                                       const std::string& name)
    : EAIPMError(
          FormatText(TranslateText("The TProgramManager object was unable to add the following program "
                                   "item: " +
                                   name +
                                   " to the following group: %s. The arguments passed to "
                                   " Program Manager were: %s"),
                     {group, command})),
      Group(group), Command(command), Name(name) {}

EAIPMCannotReplaceItem::EAIPMCannotReplaceItem(const std::string& group, const std::string& name)
    : EAIPMError(FormatText(TranslateText("The TProgramManager object was unable to replace the following "
                                          "program item: %s to the following group: %s"),
                            {name, group})),
      Group(group), Name(name) {}

} // namespace pm

namespace {

// A name as one field of a command: refused when it could end the command or the field early or break
// the line, quoted when it holds a separator.
std::string PmField(const std::string& text) {
    for (unsigned char c : text)
        if (c < 0x20 || c == 0x7F || c == '"')
            throw pm::EAIPMError(
                FormatText(TranslateText("The text %s cannot be passed to Program Manager"), {text}));
    if (text.find_first_of(",()[]") == std::string::npos) return text;
    return "\"" + text + "\"";
}

std::string Unquoted(std::string s) {
    if (s.size() >= 2 && s.front() == '"' && s.back() == '"') return s.substr(1, s.size() - 2);
    return s;
}

} // namespace

std::string TProgramManager::CreateGroupCommand(const std::string& name) {
    return "[CreateGroup(\"" + std::string(Unquoted(PmField(name))) + "\")]";
}

std::string TProgramManager::ShowGroupCommand(const std::string& group) {
    return "[ShowGroup(" + PmField(group) + ",8)]";
}

std::string TProgramManager::AddItemCommand(const std::string& commandLine, const std::string& name,
                                            int hotKey, const std::string& defaultDir, int iconIndex,
                                            const std::string& iconPath) {
    for (unsigned char c : commandLine + defaultDir + iconPath)
        if (c < 0x20 || c == 0x7F)
            throw pm::EAIPMError(TranslateText("The text %s cannot be passed to Program Manager"));
    return "[AddItem(" + commandLine + "," + PmField(name) + "," + iconPath + "," +
           std::to_string(iconIndex) + ",,," + defaultDir + "," + std::to_string(hotKey) + ")]";
}

std::string TProgramManager::ReplaceItemCommand(const std::string& name) {
    return "[ReplaceItem(\"" + Unquoted(PmField(name)) + "\")]";
}

ProgramManagerLink& TProgramManager::Open() {
    if (!link_)
        throw pm::EAIPMCannotOpen(
            TranslateText("The TProgramManager object was unable to establish a link with Program Manager"));
    return *link_;
}

void TProgramManager::SelectGroup(const std::string& name) {
    ProgramManagerLink& link = Open();
    lines_.clear();
    if (auto reply = link.Request(name)) {
        lines_ = std::move(*reply);
        group_ = name;
    }
}

std::vector<std::string> TProgramManager::GroupNames() {
    return Open().Request("Groups").value_or(std::vector<std::string>{});
}

void TProgramManager::CreateGroup(const std::string& name) {
    if (name.empty()) return;
    if (!Open().Execute(CreateGroupCommand(name))) throw pm::EAIPMCannotCreateGroup(name);
    SelectGroup(name);
}

void TProgramManager::AddItem(const std::string& commandLine, const std::string& name, int hotKey,
                              const std::string& defaultDir, int iconIndex, const std::string& iconPath) {
    if (group_.empty()) return;
    ProgramManagerLink& link = Open();
    const std::string group = group_;
    if (!link.Execute(ShowGroupCommand(group))) throw pm::EAIPMCannotOpenGroup(group);
    const std::string command = AddItemCommand(commandLine, name, hotKey, defaultDir, iconIndex, iconPath);
    if (!link.Execute(command)) throw pm::EAIPMCannotAddItem(group, command, name);
    SelectGroup(group);
}

void TProgramManager::ReplaceItem(const std::string& name) {
    ProgramManagerLink& link = Open();
    const std::string group = group_;
    if (!link.Execute(ShowGroupCommand(group))) throw pm::EAIPMCannotOpenGroup(group);
    if (!link.Execute(ReplaceItemCommand(name))) throw pm::EAIPMCannotReplaceItem(group, name);
    SelectGroup(group);
}

int TProgramManager::ItemCount() const {
    return lines_.size() < 2 ? 0 : static_cast<int>(lines_.size()) - 1;
}

int TProgramManager::FindItem(const std::string& name) const {
    for (int i = 1; i <= ItemCount(); ++i)
        if (ItemField(i, 1) == name) return i;
    return -1;
}

std::string TProgramManager::ItemField(int item, int field) const {
    if (item < 1 || item > ItemCount()) return {};
    const std::string value = setup::Field(lines_[static_cast<std::size_t>(item)], field, ',');
    return field <= 2 ? Unquoted(value) : value;
}

namespace {

struct State {
    TProgramManager manager;
};
State state;
void ResetState() {
    base::Reinitialise(state);
}
[[maybe_unused]] const bool registered = base::RegisterStateReset(base::StateLayer::Kit, &ResetState);

} // namespace

TProgramManager& ProgramManager() {
    return state.manager;
}

} // namespace setup
