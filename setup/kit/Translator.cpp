#include "setup/kit/Translator.h"

#include "base/Files.h"
#include "base/Text.h"
#include "setup/kit/EnglishDefaults.h"
#include "setup/kit/KitExceptions.h"
#include "setup/kit/KitRoutines.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdlib>
#include <fstream>
#include <istream>

namespace setup {

namespace {

TTranslator* mainTranslator = nullptr;

constexpr std::size_t MaxTextBytes = 255;

bool ParseInt(const std::string& s, int& out) {
    const std::string t = base::Trim(s);
    if (t.empty()) return false;
    const auto r = std::from_chars(t.data(), t.data() + t.size(), out);
    return r.ec == std::errc() && r.ptr == t.data() + t.size();
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& l : lines) {
        if (!out.empty()) out += '\n';
        out += base::Trim(l);
    }
    return out;
}

} // namespace

// --- the language file's lines ---

void TLangFormatStrings::Changed() {
    if (language_.parsing_) language_.Parse();
}

void TLangFormatStrings::Add(const std::string& line) {
    lines_.push_back(line);
    Changed();
}

void TLangFormatStrings::AddStrings(const std::vector<std::string>& lines) {
    lines_.insert(lines_.end(), lines.begin(), lines.end());
    Changed();
}

void TLangFormatStrings::Insert(int index, const std::string& line) {
    const std::size_t at = std::min(static_cast<std::size_t>(std::max(index, 0)), lines_.size());
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), line);
    Changed();
}

void TLangFormatStrings::Delete(int index) {
    if (index < 0 || index >= Count()) return;
    lines_.erase(lines_.begin() + index);
    Changed();
}

void TLangFormatStrings::Move(int from, int to) {
    if (from < 0 || from >= Count() || to < 0 || to >= Count()) return;
    std::string line = lines_[static_cast<std::size_t>(from)];
    lines_.erase(lines_.begin() + from);
    lines_.insert(lines_.begin() + to, line);
    Changed();
}

void TLangFormatStrings::Clear() {
    lines_.clear();
    Changed();
}

void TLangFormatStrings::Assign(const std::vector<std::string>& lines) {
    language_.parsing_ = false;
    lines_ = lines;
    language_.parsing_ = true;
    Changed();
}

void TLangFormatStrings::LoadFromStream(std::istream& in) {
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    if (!lines.empty() && lines.front().rfind("\xEF\xBB\xBF", 0) == 0) lines.front().erase(0, 3);
    Assign(lines);
}

void TLangFormatStrings::LoadFromFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw IException("Cannot open the language file %s", {file.string()});
    LoadFromStream(in);
}

// --- one language ---

std::string LanguageName(TDrvnLanguage language) {
    static const char* const names[] = {
        "ChineseSimplified", "Czech",    "Danish", "English",   "French",  "German",  "Greek", "Hebrew",
        "Italian",           "Japanese", "Korean", "Portugese", "Russian", "Spanish", "User",  "Vietnamese"};
    return language <= dlVietnamese ? names[language] : "";
}

TLanguage::TLanguage(TDrvnLanguage ident) : ident_(ident), strings_(*this) {}

std::string TLanguage::ResourceName() const {
    if (ident_ == dlChineseSimplified) return "BM_LANG_SIMPCHINESE";
    return "BM_LANG_" + base::UpperCase(LanguageName(ident_));
}

std::string TLanguage::TextFileName() const {
    return "drvi" + LanguageName(ident_) + ".txt";
}

void TLanguage::Parse() {
    parsed_.clear();
    memos_.clear();
    try {
        bool inMemo = false;
        TLangMemo memo;
        for (int n = 0; n < strings_.Count(); ++n) {
            const std::string line = base::Trim(strings_[n]);
            if (line.empty() || line.front() == '*') continue;
            if (inMemo) {
                if (line == "#") {
                    memos_.push_back(memo);
                    inMemo = false;
                } else {
                    memo.Lines.push_back(line);
                }
                continue;
            }
            if (line.front() == '#') {
                if (line == "#")
                    throw IException("Found the end of memo marker # at line %d. Was not in a memo however",
                                     {n});
                memo = TLangMemo();
                memo.Line = n;
                const std::string id = line.substr(1, line.find(';') - 1);
                if (!ParseInt(id, memo.GLID))
                    throw IException(
                        "The %d'th string (%s) does not have the proper format of GLID;Text or .GLID;",
                        {n, line});
                inMemo = true;
                continue;
            }
            const std::size_t semi = line.find(';');
            const std::string id = base::Trim(line.substr(0, semi));
            const std::string text =
                semi == std::string::npos ? std::string() : base::Trim(line.substr(semi + 1));
            if (id.empty() || text.empty())
                throw IException("The %d'th string (%s) does not have the proper format of GLID;Text",
                                 {n, line});
            TLangString s;
            if (!ParseInt(id, s.GLID))
                throw IException(
                    "The %d'th string (%s) does not have the proper format of GLID;Text or .GLID;",
                    {n, line});
            s.Text = CutBytes(text, MaxTextBytes);
            s.Line = n;
            parsed_.push_back(std::move(s));
        }
        if (inMemo) memos_.push_back(memo); // a memo left open runs to the end of the file
    } catch (...) {
        parsed_.clear();
        memos_.clear();
        throw;
    }
}

const TLangString* TLanguage::StringByGLID(int glid) const {
    for (const auto& s : parsed_)
        if (s.GLID == glid) return &s;
    return nullptr;
}

const TLangString* TLanguage::StringByText(const std::string& text) const {
    for (const auto& s : parsed_)
        if (base::SameText(s.Text, text)) return &s;
    return nullptr;
}

const TLangMemo* TLanguage::MemoByGLID(int glid) const {
    for (const auto& m : memos_)
        if (m.GLID == glid) return &m;
    return nullptr;
}

const TLangMemo* TLanguage::MemoByLines(const std::vector<std::string>& lines) const {
    const std::string wanted = Joined(lines);
    for (const auto& m : memos_)
        if (Joined(m.Lines) == wanted) return &m;
    return nullptr;
}

// --- the translator ---

TDrvnLanguage UserLanguage() {
    std::string locale;
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* v = std::getenv(name);
        if (v && *v) {
            locale = v;
            break;
        }
    }
    std::string code = locale.substr(0, locale.find_first_of("_.@"));
    for (char& c : code)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    static const std::pair<const char*, TDrvnLanguage> codes[] = {{"zh", dlChineseSimplified},
                                                                  {"cs", dlCzech},
                                                                  {"da", dlDanish},
                                                                  {"de", dlGerman},
                                                                  {"el", dlGreek},
                                                                  {"es", dlSpanish},
                                                                  {"fr", dlFrench},
                                                                  {"he", dlHebrew},
                                                                  {"iw", dlHebrew},
                                                                  {"it", dlItalian},
                                                                  {"ja", dlJapanese},
                                                                  {"ko", dlKorean},
                                                                  {"pt", dlPortugese},
                                                                  {"ru", dlRussian},
                                                                  {"vi", dlVietnamese}};
    for (const auto& [c, lang] : codes)
        if (code == c) return lang;
    return dlEnglish;
}

TTranslator::TTranslator() {
    for (int i = 0; i < 16; ++i)
        if (i != dlUser)
            languages_[static_cast<std::size_t>(i)] = std::make_unique<TLanguage>(TDrvnLanguage(i));
    if (!mainTranslator) mainTranslator = this;
}

TTranslator::~TTranslator() {
    if (mainTranslator == this) mainTranslator = nullptr;
}

TTranslator* MainTranslator() {
    return mainTranslator;
}

TLanguage* TTranslator::Language(TDrvnLanguage language) {
    return language < languages_.size() ? languages_[language].get() : nullptr;
}

void TTranslator::SetTranslateIntoLanguage(TDrvnLanguage language) {
    into_ = language;
    if (OnChange) OnChange();
}

TDrvnLanguage TTranslator::Resolve(TDrvnLanguage language) {
    return language == dlUser ? UserLanguage() : language;
}

const TLanguage* TTranslator::Target() const {
    const TDrvnLanguage t = Resolve(into_);
    return t < languages_.size() ? languages_[t].get() : nullptr;
}

std::string TTranslator::TranslateNumber(int glid, const std::string& def) const {
    const TLanguage* target = Target();
    const TLangString* s = target ? target->StringByGLID(glid) : nullptr;
    return s ? s->Text : def;
}

std::string TTranslator::TranslateText(TDrvnLanguage source, const std::string& text) const {
    const TDrvnLanguage from = Resolve(source);
    const TLanguage* src = from < languages_.size() ? languages_[from].get() : nullptr;
    const TLanguage* target = Target();
    if (!src || !target) return text;
    const TLangString* key = src->StringByText(text);
    const TLangString* found = key ? target->StringByGLID(key->GLID) : nullptr;
    return found ? found->Text : text;
}

std::vector<std::string> TTranslator::TranslateMemo(TDrvnLanguage source,
                                                    const std::vector<std::string>& lines) const {
    const TDrvnLanguage from = Resolve(source);
    const TLanguage* src = from < languages_.size() ? languages_[from].get() : nullptr;
    const TLanguage* target = Target();
    if (!src || !target) return lines;
    const TLangMemo* key = src->MemoByLines(lines);
    const TLangMemo* found = key ? target->MemoByGLID(key->GLID) : nullptr;
    return found ? found->Lines : lines;
}

TFontSpec TTranslator::FontFor(const TFontSpec& current) const {
    const TDrvnLanguage wanted = Resolve(into_);
    if (wanted >= languages_.size() || !languages_[wanted]) throw IException("Unrecognized language");
    const TLanguage* lang = languages_[wanted].get();
    if (lang->ParsedStrings().empty()) lang = languages_[dlEnglish].get();
    if (lang->FontOverride) return lang->Font;
    TFontSpec font = current;
    int minimum = 8;
    switch (lang->LanguageIdent()) {
    case dlChineseSimplified:
        font.Charset = 134, font.Name = "SimSun", minimum = 9;
        break;
    case dlJapanese:
        font.Charset = 128, font.Name = "MS Gothic", minimum = 9;
        break;
    case dlKorean:
        font.Charset = 129, font.Name = "Gulim", minimum = 9;
        break;
    case dlCzech:
    case dlPortugese:
        font.Charset = 238, font.Name = "Arial CE";
        break;
    case dlHebrew:
        font.Charset = 177, font.Name = "Arial CE";
        break;
    case dlRussian:
        font.Charset = 204, font.Name = "Arial CE";
        break;
    case dlVietnamese:
        font.Charset = 163, font.Name = "Arial CE";
        break;
    case dlGerman:
        font.Charset = 0, font.Name = "MS Sans Serif";
        break;
    case dlGreek:
        font.Charset = 0, font.Name = "SGreek";
        break;
    default:
        font.Charset = 0, font.Name = "Arial CE";
        break;
    }
    font.Size = std::max(font.Size, minimum);
    return font;
}

void TTranslator::UseEnglishDefaults() {
    lgEnglish().SetStrings(EnglishDefaultLines());
}

void TTranslator::LoadLanguageFiles(const std::filesystem::path& folder) {
    for (auto& lang : languages_) {
        if (!lang) continue;
        if (const auto file = base::FindFile(folder, lang->TextFileName()))
            lang->Strings().LoadFromFile(*file);
    }
}

std::string TranslateText(const std::string& english) {
    return mainTranslator ? mainTranslator->TranslateText(dlEnglish, english) : english;
}

} // namespace setup
