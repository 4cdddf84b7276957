#include "setup/dialogs/FormTranslation.h"

#include "base/Finally.h"

#include <algorithm>
#include <QComboBox>
#include <QListWidget>
#include <QMetaProperty>
#include <QPlainTextEdit>
#include <QTreeWidget>
#include <QWidget>

namespace setup {

void TTranslateLabel::SetPathCaption(const std::string& path) {
    const QString whole = QString::fromStdString(path);
    const QString shown = fontMetrics().elidedText(whole, Qt::ElideMiddle, width());
    SetCaption(shown.toStdString());
    setToolTip(shown == whole ? QString() : whole);
}

namespace {

bool TargetHasTexts(const TTranslator& translator) {
    const TLanguage* target = const_cast<TTranslator&>(translator)
                                  .Language(TTranslator::Resolve(translator.TranslateIntoLanguage()));
    return target && !target->ParsedStrings().empty();
}

QString ByText(const TTranslator& t, TDrvnLanguage source, const QString& text) {
    if (text.trimmed().isEmpty()) return text;
    return QString::fromStdString(t.TranslateText(source, text.toStdString()));
}

void TranslateLines(const TTranslator& t, TDrvnLanguage source, QPlainTextEdit& memo) {
    const QString text = memo.toPlainText();
    if (text.isEmpty()) return;
    std::vector<std::string> lines;
    for (const QString& line : text.split('\n'))
        lines.push_back(line.toStdString());
    const std::vector<std::string> done = t.TranslateMemo(source, lines);
    if (done == lines) return;
    QStringList out;
    for (const std::string& line : done)
        out << QString::fromStdString(line);
    memo.setPlainText(out.join('\n'));
}

// The texts the object itself shows.
void TranslateOwnTexts(const TTranslator& t, QObject& object, TDrvnLanguage source) {
    if (auto* label = dynamic_cast<TTranslateLabel*>(&object); label && label->GLID > 0) {
        label->SetCaption(t.TranslateNumber(label->GLID, label->Caption()));
        return;
    }
    if (auto* button = dynamic_cast<TTranslateBitBtn*>(&object); button && button->GLID > 0) {
        button->SetCaption(t.TranslateNumber(button->GLID, button->Caption()));
        return;
    }
    if (auto* memo = qobject_cast<QPlainTextEdit*>(&object)) {
        TranslateLines(t, source, *memo);
        return;
    }
    // A label keeps its caption apart from what it paints.
    auto* label = dynamic_cast<fw::Label*>(&object);
    if (label) label->SetCaption(ByText(t, source, QString::fromStdString(label->Caption())).toStdString());
    const QMetaObject* meta = object.metaObject();
    for (int i = 0; i < meta->propertyCount(); ++i) {
        const QMetaProperty p = meta->property(i);
        const QByteArray name = p.name();
        // The name identifies the object and a style sheet is no text anybody reads.
        if (name == "objectName" || name == "styleSheet" || (label && name == "text") || !p.isWritable() ||
            p.metaType().id() != QMetaType::QString)
            continue;
        const QString value = p.read(&object).toString();
        const QString done = ByText(t, source, value);
        if (done != value) p.write(&object, done);
    }
    if (auto* list = qobject_cast<QListWidget*>(&object)) {
        for (int i = 0; i < list->count(); ++i)
            list->item(i)->setText(ByText(t, source, list->item(i)->text()));
    } else if (auto* combo = qobject_cast<QComboBox*>(&object)) {
        for (int i = 0; i < combo->count(); ++i)
            combo->setItemText(i, ByText(t, source, combo->itemText(i)));
    } else if (auto* tree = qobject_cast<QTreeWidget*>(&object)) {
        QTreeWidgetItem* header = tree->headerItem();
        for (int c = 0; header && c < header->columnCount(); ++c)
            header->setText(c, ByText(t, source, header->text(c)));
    }
}

void TranslateTree(const TTranslator& t, QObject& object, TDrvnLanguage source) {
    TranslateOwnTexts(t, object, source);
    for (QObject* child : object.children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (w && w->isWindow()) continue; // a window of its own is translated when it shows
        TranslateTree(t, *child, source);
    }
}

} // namespace

TDrvnLanguage TranslateObject(const TTranslator& translator, QObject* object, TDrvnLanguage source) {
    if (!object) return source;
    auto* widget = qobject_cast<QWidget*>(object);
    // No half-translated window is ever painted.
    if (widget) widget->setUpdatesEnabled(false);
    base::TryFinally([&] { TranslateTree(translator, *object, source); },
                     [&] {
                         if (widget) widget->setUpdatesEnabled(true);
                     });
    return TargetHasTexts(translator) ? TTranslator::Resolve(translator.TranslateIntoLanguage()) : source;
}

TDrvnLanguage TranslateObjectInto(TTranslator& translator, QObject* object, TDrvnLanguage source,
                                  TDrvnLanguage into) {
    const TDrvnLanguage old = translator.TranslateIntoLanguage();
    translator.SetTranslateIntoLanguage(into);
    TDrvnLanguage result = source;
    base::TryFinally([&] { result = TranslateObject(translator, object, source); },
                     [&] { translator.SetTranslateIntoLanguage(old); });
    return result;
}

void SetObjectFonts(const TTranslator& translator, QWidget* widget) {
    if (!widget) return;
    TFontSpec current;
    current.Size = std::max(0, widget->font().pointSize());
    const TFontSpec want = translator.FontFor(current);
    // Fonts carry no charset here and fontconfig finds a face with the characters: only the size counts.
    QFont font = widget->font();
    if (want.Size > 0 && want.Size != font.pointSize()) font.setPointSize(want.Size);
    widget->setFont(font);
    for (QWidget* child : widget->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (!child->isWindow()) SetObjectFonts(translator, child);
}

} // namespace setup
