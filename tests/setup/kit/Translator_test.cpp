#include "setup/kit/KitExceptions.h"
#include "setup/kit/Translator.h"
#include "tests/setup/kit/KitTestEnv.h"

#include <fstream>
#include <set>
#include <sstream>

using namespace setup;

namespace {

class Translation : public setuptest::KitTest {
protected:
    void SetUp() override {
        KitTest::SetUp();
        Unset("LC_ALL");
        Unset("LC_MESSAGES");
        Set("LANG", "C.UTF-8");
    }
    std::string ErrorOf(TLanguage& lang, const std::vector<std::string>& lines) {
        try {
            lang.SetStrings(lines);
        } catch (const IException& e) {
            return e.what();
        }
        return "";
    }
};

} // namespace

TEST_F(Translation, FileLinesGiveStringsAndMemos) {
    TTranslator t;
    TLanguage& de = *t.Language(dlGerman);
    de.SetStrings({"* Deutsch", "", "12;   Weiter >  ", "13;Text; mit Semikolon", "#7;", "  Erste Zeile  ",
                   "* kein Teil des Memos", "", "Zweite Zeile", "#", "14;" + std::string(300, 'x')});
    ASSERT_EQ(de.ParsedStrings().size(), 3u);
    EXPECT_EQ(de.ParsedStrings()[0].GLID, 12);
    EXPECT_EQ(de.ParsedStrings()[0].Text, "Weiter >");
    EXPECT_EQ(de.ParsedStrings()[0].Line, 2);
    EXPECT_EQ(de.ParsedStrings()[1].Text, "Text; mit Semikolon");
    EXPECT_EQ(de.ParsedStrings()[2].Text.size(), 255u);
    ASSERT_EQ(de.Memos().size(), 1u);
    EXPECT_EQ(de.Memos()[0].GLID, 7);
    EXPECT_EQ(de.Memos()[0].Lines, (std::vector<std::string>{"Erste Zeile", "Zweite Zeile"}));
    EXPECT_EQ(de.TextFileName(), "drviGerman.txt");
    EXPECT_EQ(de.ResourceName(), "BM_LANG_GERMAN");
    EXPECT_EQ(t.Language(dlChineseSimplified)->ResourceName(), "BM_LANG_SIMPCHINESE");
    EXPECT_EQ(t.Language(dlPortugese)->TextFileName(), "drviPortugese.txt");
    EXPECT_EQ(t.Language(dlUser), nullptr);
}

TEST_F(Translation, BadLinesNameTheirLineAndEmptyBothLists) {
    TTranslator t;
    TLanguage& fr = *t.Language(dlFrench);
    fr.SetStrings({"1;Un", "#2;", "a", "#"});
    EXPECT_EQ(ErrorOf(fr, {"1;Un", "", "#"}),
              "Found the end of memo marker # at line 2. Was not in a memo however");
    EXPECT_TRUE(fr.ParsedStrings().empty());
    EXPECT_TRUE(fr.Memos().empty());
    EXPECT_EQ(ErrorOf(fr, {"1;"}), "The 0'th string (1;) does not have the proper format of GLID;Text");
    EXPECT_EQ(ErrorOf(fr, {"1;a", ";Texte"}),
              "The 1'th string (;Texte) does not have the proper format of GLID;Text");
    EXPECT_EQ(ErrorOf(fr, {"x1;Texte"}),
              "The 0'th string (x1;Texte) does not have the proper format of GLID;Text or .GLID;");
    EXPECT_EQ(ErrorOf(fr, {"#a;"}),
              "The 0'th string (#a;) does not have the proper format of GLID;Text or .GLID;");
    EXPECT_EQ(ErrorOf(fr, {"sans point-virgule"}),
              "The 0'th string (sans point-virgule) does not have the proper format of GLID;Text");
}

TEST_F(Translation, EveryChangeOfTheLinesParsesAgain) {
    TTranslator t;
    TLanguage& it = *t.Language(dlItalian);
    it.Strings().Add("1;Uno");
    EXPECT_EQ(it.ParsedStrings().size(), 1u);
    it.Strings().Insert(0, "2;Due");
    EXPECT_EQ(it.ParsedStrings()[0].GLID, 2);
    it.Strings().Move(0, 1);
    EXPECT_EQ(it.ParsedStrings()[0].GLID, 1);
    it.Strings().Delete(0);
    EXPECT_EQ(it.ParsedStrings()[0].GLID, 2);
    std::istringstream in("\xEF\xBB\xBF"
                          "5;Cinque\r\n6;Sei\r\n");
    it.Strings().LoadFromStream(in);
    ASSERT_EQ(it.ParsedStrings().size(), 2u);
    EXPECT_EQ(it.ParsedStrings()[0].GLID, 5);
    EXPECT_EQ(it.ParsedStrings()[1].Text, "Sei");
    it.Strings().Clear();
    EXPECT_TRUE(it.ParsedStrings().empty());
}

TEST_F(Translation, LookupsGoThroughTheEnglishTable) {
    TTranslator t;
    t.lgEnglish().SetStrings({"10;< &Back", "11;&Next >", "#20;", "Welcome to the", "setup program", "#"});
    t.Language(dlGerman)->SetStrings({"10;< &Zurück", "11;&Weiter >", "#20;", "Willkommen", "#"});
    t.SetTranslateIntoLanguage(dlGerman);
    EXPECT_EQ(t.TranslateText(dlEnglish, "&NEXT >"), "&Weiter >");
    EXPECT_EQ(t.TranslateText(dlEnglish, "Cancel"), "Cancel");
    EXPECT_EQ(t.TranslateNumber(10, "x"), "< &Zurück");
    EXPECT_EQ(t.TranslateNumber(99, "x"), "x");
    EXPECT_EQ(t.TranslateMemo(dlEnglish, {"Welcome to the", "setup program"}),
              (std::vector<std::string>{"Willkommen"}));
    EXPECT_EQ(t.TranslateMemo(dlEnglish, {"Other"}), (std::vector<std::string>{"Other"}));
    t.SetTranslateIntoLanguage(dlRussian); // no table: unchanged
    EXPECT_EQ(t.TranslateText(dlEnglish, "&Next >"), "&Next >");
    int changes = 0;
    t.OnChange = [&] { ++changes; };
    t.SetTranslateIntoLanguage(dlUser);
    EXPECT_EQ(changes, 1);
}

TEST_F(Translation, KitMessagesAreTranslatedBeforeFormatting) {
    EXPECT_EQ(std::string(IEPathSpecifier("%s must be a %s", {"File1", "TInstallObject"}).what()),
              "File1 must be a TInstallObject");
    TTranslator main;
    TTranslator second;
    EXPECT_EQ(MainTranslator(), &main);
    main.lgEnglish().SetStrings({"30;Installation aborted by the user", "31;Cannot find %s"});
    main.Language(dlGerman)->SetStrings({"30;Installation vom Benutzer abgebrochen", "31;%s nicht gefunden"});
    main.SetTranslateIntoLanguage(dlGerman);
    EXPECT_EQ(std::string(EAIUserAbort().what()), "Installation vom Benutzer abgebrochen");
    EXPECT_EQ(std::string(IEInstall("Cannot find %s", {"setup"}).what()), "setup nicht gefunden");
}

TEST_F(Translation, UserLanguageComesFromTheLocale) {
    Set("LANG", "de_DE.UTF-8");
    EXPECT_EQ(UserLanguage(), dlGerman);
    Set("LC_MESSAGES", "fr_FR");
    EXPECT_EQ(UserLanguage(), dlFrench);
    Set("LC_ALL", "hr_HR.UTF-8"); // no Croatian table: English
    EXPECT_EQ(UserLanguage(), dlEnglish);
    Set("LC_ALL", "pt_BR.UTF-8");
    EXPECT_EQ(TTranslator::Resolve(dlUser), dlPortugese);
    EXPECT_EQ(TTranslator::Resolve(dlGreek), dlGreek);
    TTranslator t;
    t.Language(dlPortugese)->SetStrings({"1;Seguinte"});
    t.lgEnglish().SetStrings({"1;Next"});
    EXPECT_EQ(t.TranslateText(dlEnglish, "Next"), "Seguinte"); // dlUser by default
}

TEST_F(Translation, FontsFollowTheLanguageWithMinimumSizes) {
    TTranslator t;
    const TFontSpec small{"Sans", 6, 0}, big{"Sans", 12, 0};
    t.SetTranslateIntoLanguage(dlJapanese); // no strings anywhere: English rules
    EXPECT_EQ(t.FontFor(small), (TFontSpec{"Arial CE", 8, 0}));
    EXPECT_EQ(t.FontFor(big), (TFontSpec{"Arial CE", 12, 0}));
    t.Language(dlJapanese)->SetStrings({"1;x"});
    EXPECT_EQ(t.FontFor(small), (TFontSpec{"MS Gothic", 9, 128}));
    t.Language(dlCzech)->SetStrings({"1;x"});
    t.SetTranslateIntoLanguage(dlCzech);
    EXPECT_EQ(t.FontFor(small).Charset, 238);
    t.Language(dlHebrew)->SetStrings({"1;x"});
    t.SetTranslateIntoLanguage(dlHebrew); // the default face, no error
    EXPECT_EQ(t.FontFor(small), (TFontSpec{"Arial CE", 8, 177}));
    t.Language(dlHebrew)->FontOverride = true;
    t.Language(dlHebrew)->Font = TFontSpec{"David", 11, 177};
    EXPECT_EQ(t.FontFor(small), (TFontSpec{"David", 11, 177}));
    t.SetTranslateIntoLanguage(static_cast<TDrvnLanguage>(40));
    EXPECT_THROW(t.FontFor(small), IException);
}

TEST_F(Translation, LanguageFilesAreFoundInAFolder) {
    std::ofstream(Path("DRVIGERMAN.TXT")) << "1;Weiter\n";
    std::ofstream(Path("drviEnglish.txt")) << "1;Next\n";
    TTranslator t;
    t.LoadLanguageFiles(temp_.Path());
    t.SetTranslateIntoLanguage(dlGerman);
    EXPECT_EQ(t.TranslateText(dlEnglish, "next"), "Weiter");
    EXPECT_THROW(t.lgEnglish().Strings().LoadFromFile(Path("none.txt")), IException);
}

TEST_F(Translation, EnglishDefaultsLetALanguageFileTranslateKitMessagesByNumber) {
    TTranslator t;
    t.UseEnglishDefaults();
    ASSERT_GT(t.lgEnglish().ParsedStrings().size(), 20u);
    // the texts the kit raises are in the table
    for (const std::string& message :
         {std::string(EAIUserAbort().what()), std::string("%s must be a %s to use the %s path specifier"),
          std::string("Cannot expand the %i meta variable because there is no TInstall component")})
        EXPECT_NE(t.lgEnglish().StringByText(message), nullptr) << message;
    std::set<int> ids;
    for (const auto& s : t.lgEnglish().ParsedStrings())
        EXPECT_TRUE(ids.insert(s.GLID).second) << s.GLID;

    t.lgGerman().SetStrings({"1000;Installation vom Benutzer abgebrochen",
                             "1010;%s muss ein %s sein, um den Pfadtyp %s zu nutzen"});
    t.SetTranslateIntoLanguage(dlGerman);
    EXPECT_STREQ(EAIUserAbort().what(), "Installation vom Benutzer abgebrochen");
    EXPECT_STREQ(
        IEPathSpecifier("%s must be a %s to use the %s path specifier", {"F", "TInstallObject", "psX"})
            .what(),
        "F muss ein TInstallObject sein, um den Pfadtyp psX zu nutzen");
}
