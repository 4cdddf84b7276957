#pragma once
// Translating the kit's windows: captions by their text number, other texts by their English wording, and
// fonts at least as large as the language wants.

#include "fw/ui/StdCtrls.h"
#include "setup/kit/Translator.h"

class QObject;
class QWidget;

namespace setup {

// A label whose caption is the translator's text of that number (0: translated by its wording).
class TTranslateLabel : public fw::Label {
public:
    using fw::Label::Label;
    int GLID = 0;
    // A path too long for the label keeps its beginning and its file name; the whole of it is then the
    // label's tip.
    void SetPathCaption(const std::string& path);
};

// A button whose caption is the translator's text of that number (0: translated by its wording).
class TTranslateBitBtn : public fw::BitBtn {
public:
    using fw::BitBtn::BitBtn;
    int GLID = 0;
};

// Translates the object and everything below it that is not a window of its own, from the source
// language into the translator's; the result is the language the texts are in now (the source when the
// target has no texts).
TDrvnLanguage TranslateObject(const TTranslator& translator, QObject* object, TDrvnLanguage source);
// The same into the given language (dlUser: the user's).
TDrvnLanguage TranslateObjectInto(TTranslator& translator, QObject* object, TDrvnLanguage source,
                                  TDrvnLanguage into);
// Raises the fonts of the widget and its children to the target language's least size; a language that
// overrides its font gives its size outright.
void SetObjectFonts(const TTranslator& translator, QWidget* widget);

} // namespace setup
