#pragma once
#include <functional>
#include <string>
#include <vector>

namespace setup {

// The rule for a file that already exists where a file is to be installed or extracted.
enum TOverwriteType { owAlways, owNever, owVersion, owDate, owVersionDate };

// The version texts of a file. Programs of this system carry their version as the text of an ELF
// section ".fileversion" (added by the build): the first line is the file version ("1.112.0.0"),
// further lines "Name=Value" may give the string values (CompanyName, ProductVersion, …). Any other
// file has no version: every text is empty.
struct TVersionInfo {
    std::string Comment, CompanyName, FileDescription, FileVersion, InternalName, LegalCopyright,
        LegalTradeMarks, OriginalFileName, PrivateBuild, ProductName, ProductVersion, SpecialBuild, FileOS,
        FileType, FileSubType;
};

inline constexpr const char* VersionSection = ".fileversion";

// Stamps the program being built with its version: SETUP_FILE_VERSION("1.112.0.0") in one source file of
// the program (further "Name=Value" lines may follow the version, separated by "\n").
#define SETUP_FILE_VERSION(text)                                                                             \
    __attribute__((section(".fileversion"), used)) static const char SetupFileVersion[] = text

namespace version {

// Windows language identifiers and code pages of a version resource's string table. Kept for the
// interface; the ELF stand-in has one string table, so they do not change what is read.
enum TLanguage : int {
    lnArabic = 1025,
    lnBulgarian,
    lnCatalan,
    lnTraditionalChinese,
    lnCzech,
    lnDanish,
    lnGerman,
    lnGreek,
    lnUSEnglish,
    lnCastilianSpanish,
    lnFinnish,
    lnFrench,
    lnHebrew,
    lnHungarian,
    lnIcelandic,
    lnItalian,
    lnJapanese,
    lnKorean,
    lnDutch,
    lnNorwegianBokmal,
    lnPolish,
    lnBrazilianPortuguese,
    lnRhaetoRomanic,
    lnRomanian,
    lnRussian,
    lnCroatoSerbian,
    lnSlovak,
    lnAlbanian,
    lnSwedish,
    lnThai,
    lnTurkish,
    lnUrdu,
    lnBahasa,
    lnSimplifiedChinese = 2052,
    lnSwissGerman = 2055,
    lnUKEnglish = 2057,
    lnMexicanSpanish = 2058,
    lnBelgianFrench = 2060,
    lnSwissItalian = 2064,
    lnBelgianDutch = 2067,
    lnNorwegianNynorsk = 2068,
    lnPortuguese = 2070,
    lnSerboCroatian = 2074,
    lnCanadianFrench = 3084,
    lnSwissFrench = 4108,
};

enum TCharacterSet : int {
    csASCII = 0,
    csJapan = 932,
    csKorea = 949,
    csTaiwan = 950,
    csUnicode = 1200,
    csLatin2 = 1250,
    csCyrillic = 1251,
    csMultilingual = 1252,
    csGreek = 1253,
    csTurkish = 1254,
    csHebrew = 1255,
    csArabic = 1256,
};

} // namespace version

class TVersionResource {
public:
    // Reads the running program.
    TVersionResource();
    explicit TVersionResource(std::string fileName);

    const std::string& FileName() const { return fileName_; }
    // Every setter reads the file again at once.
    void SetFileName(const std::string& fileName);
    void SetLanguage(version::TLanguage language);
    void SetCharacterSet(version::TCharacterSet characterSet);
    version::TLanguage Language() const { return language_; }
    version::TCharacterSet CharacterSet() const { return characterSet_; }
    const TVersionInfo& VersionInfo() const { return info_; }

    // Never fails: a missing file, a file that is no ELF, or one without the section gives empty texts.
    void Read();

private:
    std::string fileName_;
    version::TLanguage language_ = version::lnUSEnglish;
    version::TCharacterSet characterSet_ = version::csMultilingual;
    TVersionInfo info_;
};

// The file version text of a file ("" without one), through the process-wide reader.
std::string FileVersionOf(const std::string& fileName);

// 0 equal, 1 A newer, 2 B newer. Parts are split at "."; two all-digit parts compare as numbers
// ("10" is newer than "9"), other parts as text byte by byte; where one runs out of parts first, the
// other is newer.
int CompareVersions(const std::string& a, const std::string& b);

// A file date as days since 30 Dec 1899 in local time, and back (seconds since the epoch).
double DateTimeFromUnix(double seconds);
double UnixFromDateTime(double dateTime);
// Dates from 1 Jan 100 to 31 Dec 9999; anything else (NaN included) cannot be a file date.
bool IsValidFileDate(double dateTime);
// The file's modification time as a date-time; throws base::Exception when the file cannot be read.
double FileDateTime(const std::string& fileName);

// Whether to replace OldFile: 0 error, 1 same, 2 replace, 3 keep. Dates within a second are the same.
int IsFileNewer(const std::string& newVersion, const std::string& oldFile, TOverwriteType mode,
                double newDate);
int IsFileNewerByName(const std::string& newFile, const std::string& oldFile, TOverwriteType mode);

// The identity of the installation; ProductName names its uninstall key.
struct TInstallInformation {
    std::string CompanyName = "Default Company Name";
    std::string ProductName = "Default Product Name";
    std::string Version = "1.0";
};

// The section names of an INI file: every line that, trimmed, is longer than one character and starts
// with "[", without its first and last character. A missing file gives none.
std::vector<std::string> ListIniSections(const std::string& fileName);

inline constexpr int MaxUniqueNameTries = 1000;
// Tries Base, Base1, Base2, … until trySetName accepts one; returns it. Bounded: raises IException
// "Could not find a free name for %s" after the last try.
std::string MakeUniqueName(const std::string& base,
                           const std::function<bool(const std::string&)>& trySetName);

} // namespace setup
