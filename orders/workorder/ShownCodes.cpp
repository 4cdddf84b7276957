#include "orders/workorder/ShownCodes.h"

#include "app/data/DataSetServices.h"
#include "base/Text.h"
#include "engine/Engine.h"

#include <filesystem>
#include <set>

namespace orders {

namespace {

// Calls `row` with every row of a table and the index of each named field (-1 when it has none); a table
// missing from its folder has no rows.
template <class F>
void EachRow(app::Folder folder, const char* name, std::initializer_list<const char*> fields, F&& row) {
    const std::filesystem::path path = app::FolderPath(folder);
    if (!engine::TableExists(path, name)) return;
    const auto table = engine::Table::Open(path, name, engine::OpenMode::Shared);
    std::vector<int> at;
    for (const char* f : fields) {
        int found = -1;
        for (std::size_t i = 0; i < table->Fields().size(); ++i)
            if (base::UpperCase(table->Fields()[i].Name) == base::UpperCase(f)) found = static_cast<int>(i);
        at.push_back(found);
    }
    auto c = table->OpenCursor();
    for (c->First(); c->OnRow(); c->Next())
        row(c->Read(), at);
}

std::int64_t IntAt(const engine::Row& r, int i) {
    return i >= 0 && r[static_cast<std::size_t>(i)].IsInt() ? r[static_cast<std::size_t>(i)].AsInt() : 0;
}

std::string TextAt(const engine::Row& r, int i) {
    return i >= 0 && r[static_cast<std::size_t>(i)].IsText() ? r[static_cast<std::size_t>(i)].AsText()
                                                             : std::string();
}

} // namespace

std::string ShownCodes::Article(std::int32_t code) {
    return Find(articles_, articlesRead_, code, &ShownCodes::LoadArticles);
}

std::string ShownCodes::Type(std::int32_t code) {
    return Find(types_, typesRead_, code, &ShownCodes::LoadTypes);
}

void ShownCodes::Forget(std::int32_t ownPartner) {
    ownPartner_ = ownPartner;
    articles_.clear();
    types_.clear();
    articlesRead_ = typesRead_ = false;
}

std::string ShownCodes::Find(Codes& codes, bool& read, std::int32_t code, void (ShownCodes::*load)(Codes&)) {
    if (code == 0) return {};
    if (!read) {
        read = true;
        (this->*load)(codes);
    }
    auto it = codes.find(code);
    if (it == codes.end()) {
        // Made since the table was read (a picker, another station): read it again, once for this code.
        (this->*load)(codes);
        it = codes.find(code);
        if (it == codes.end()) it = codes.emplace(code, std::nullopt).first;
    }
    return it->second.value_or(std::string());
}

void ShownCodes::LoadArticles(Codes& codes) {
    std::set<std::int32_t> own;
    EachRow(app::Folder::Global, "SIF_ROBE.DB", {"Code", "Partner", "Sifra"},
            [&](const engine::Row& r, const std::vector<int>& at) {
                const auto code = static_cast<std::int32_t>(IntAt(r, at[0]));
                const bool mine = IntAt(r, at[1]) == ownPartner_;
                if (own.count(code) || (codes.count(code) && codes[code] && !mine)) return;
                codes[code] = TextAt(r, at[2]);
                if (mine) own.insert(code);
            });
}

void ShownCodes::LoadTypes(Codes& codes) {
    EachRow(app::Folder::Lokal, "WINGL.DB", {"Code", "Sifra"},
            [&](const engine::Row& r, const std::vector<int>& at) {
                const auto code = static_cast<std::int32_t>(IntAt(r, at[0]));
                if (!codes.count(code) || !codes[code]) codes[code] = TextAt(r, at[1]);
            });
}

} // namespace orders
