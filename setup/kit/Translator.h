#pragma once
#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

namespace setup {

enum TDrvnLanguage : std::uint8_t {
    dlChineseSimplified = 0,
    dlCzech,
    dlDanish,
    dlEnglish,
    dlFrench,
    dlGerman,
    dlGreek,
    dlHebrew,
    dlItalian,
    dlJapanese,
    dlKorean,
    dlPortugese,
    dlRussian,
    dlSpanish,
    dlUser = 14, // the language of the user's locale
    dlVietnamese = 15,
};

// A font as the translator decides it; the widget layer applies it (on this system only the minimum
// size: fontconfig picks a face that has the characters).
struct TFontSpec {
    std::string Name;
    int Size = 8;
    int Charset = 0;
    bool operator==(const TFontSpec&) const = default;
};

struct TLangString {
    int GLID = 0;
    std::string Text; // at most 255 bytes
    int Line = 0;
};

struct TLangMemo {
    int GLID = 0;
    std::vector<std::string> Lines;
    int Line = 0;
};

class TLanguage;

// The text of a language file: a list of lines whose every change makes its language parse it again.
class TLangFormatStrings {
public:
    explicit TLangFormatStrings(TLanguage& language) : language_(language) {}
    TLangFormatStrings(const TLangFormatStrings&) = delete;
    TLangFormatStrings& operator=(const TLangFormatStrings&) = delete;

    int Count() const { return static_cast<int>(lines_.size()); }
    const std::string& operator[](int i) const { return lines_.at(static_cast<std::size_t>(i)); }
    const std::vector<std::string>& Lines() const { return lines_; }

    void Add(const std::string& line);
    void AddStrings(const std::vector<std::string>& lines);
    void Insert(int index, const std::string& line);
    void Delete(int index);
    void Move(int from, int to);
    void Clear();
    // Copies the lines and parses once at the end (also when parsing fails).
    void Assign(const std::vector<std::string>& lines);
    void LoadFromStream(std::istream& in);
    // A language file in UTF-8; a missing file raises IException "Cannot open the language file %s".
    void LoadFromFile(const std::filesystem::path& file);

private:
    void Changed();
    TLanguage& language_;
    std::vector<std::string> lines_;
};

// One language: its font rules and its parsed text table.
class TLanguage {
public:
    explicit TLanguage(TDrvnLanguage ident);
    TLanguage(const TLanguage&) = delete;
    TLanguage& operator=(const TLanguage&) = delete;

    TFontSpec Font;
    bool FontOverride = false;
    TDrvnLanguage LanguageIdent() const { return ident_; }
    TLangFormatStrings& Strings() { return strings_; }
    const TLangFormatStrings& Strings() const { return strings_; }
    // Assigned by copy.
    void SetStrings(const std::vector<std::string>& lines) { strings_.Assign(lines); }

    std::string ResourceName() const; // "BM_LANG_GERMAN"
    std::string TextFileName() const; // "drviGerman.txt"

    const std::vector<TLangString>& ParsedStrings() const { return parsed_; }
    const std::vector<TLangMemo>& Memos() const { return memos_; }
    // Parses the lines; on an error both lists are emptied and IException names the line.
    void Parse();

    const TLangString* StringByGLID(int glid) const;
    const TLangString* StringByText(const std::string& text) const; // ignoring case
    const TLangMemo* MemoByGLID(int glid) const;
    const TLangMemo* MemoByLines(const std::vector<std::string>& lines) const;

private:
    friend class TLangFormatStrings;
    TDrvnLanguage ident_;
    TLangFormatStrings strings_;
    bool parsing_ = true; // off while Assign copies
    std::vector<TLangString> parsed_;
    std::vector<TLangMemo> memos_;
};

// The name part of a language's file and resource names ("ChineseSimplified", "Portugese", …).
std::string LanguageName(TDrvnLanguage language);

// The language of the user's locale (LC_ALL, LC_MESSAGES, LANG): "de_DE.UTF-8" is German; a language
// without a table here (Croatian among them) is English.
TDrvnLanguage UserLanguage();

class TTranslator {
public:
    // The first translator made becomes the kit's main translator, until it is destroyed.
    TTranslator();
    ~TTranslator();
    TTranslator(const TTranslator&) = delete;
    TTranslator& operator=(const TTranslator&) = delete;

    // The language object of a language; nullptr for dlUser and unknown values.
    TLanguage* Language(TDrvnLanguage language);
    TLanguage& lgChineseSimplified() { return *Language(dlChineseSimplified); }
    TLanguage& lgCzech() { return *Language(dlCzech); }
    TLanguage& lgDanish() { return *Language(dlDanish); }
    TLanguage& lgEnglish() { return *Language(dlEnglish); }
    TLanguage& lgFrench() { return *Language(dlFrench); }
    TLanguage& lgGerman() { return *Language(dlGerman); }
    TLanguage& lgGreek() { return *Language(dlGreek); }
    TLanguage& lgHebrew() { return *Language(dlHebrew); }
    TLanguage& lgItalian() { return *Language(dlItalian); }
    TLanguage& lgKorean() { return *Language(dlKorean); }
    TLanguage& lgJapanese() { return *Language(dlJapanese); }
    TLanguage& lgPortugese() { return *Language(dlPortugese); }
    TLanguage& lgRussian() { return *Language(dlRussian); }
    TLanguage& lgSpanish() { return *Language(dlSpanish); }
    TLanguage& lgVietnamese() { return *Language(dlVietnamese); }

    // Gives lgEnglish the kit's English message table, so that another language's file translates the
    // kit's messages by their numbers.
    void UseEnglishDefaults();

    TDrvnLanguage TranslateIntoLanguage() const { return into_; }
    void SetTranslateIntoLanguage(TDrvnLanguage language);
    std::function<void()> OnChange;

    // dlUser becomes the user's language; any other value is itself.
    static TDrvnLanguage Resolve(TDrvnLanguage language);

    // Lookups into TranslateIntoLanguage; each returns its input when a language or element is missing.
    std::string TranslateNumber(int glid, const std::string& def) const;
    std::string TranslateText(TDrvnLanguage source, const std::string& text) const;
    std::vector<std::string> TranslateMemo(TDrvnLanguage source, const std::vector<std::string>& lines) const;

    // The font for the target language (lgEnglish's rules when the target has no strings): the
    // language's own font with FontOverride, else its charset and face with the size raised to the
    // language's minimum. An unknown language raises IException "Unrecognized language".
    TFontSpec FontFor(const TFontSpec& current) const;

    // Loads every "drvi<Language>.txt" found in the folder (names matched case-insensitively).
    void LoadLanguageFiles(const std::filesystem::path& folder);

private:
    const TLanguage* Target() const;
    std::array<std::unique_ptr<TLanguage>, 16> languages_;
    TDrvnLanguage into_ = dlUser;
};

TTranslator* MainTranslator();

} // namespace setup
