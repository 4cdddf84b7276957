#include "fw/ui/Color.h"

#include "base/Text.h"

#include <QFont>
#include <QGuiApplication>
#include <QPalette>

namespace fw {

QColor ToQColor(TColor color) {
    if (color & 0x80000000u) {
        const QPalette pal = QGuiApplication::palette();
        switch (color & 0xFF) {
        case 0x05:
            return pal.color(QPalette::Base);
        case 0x08:
            return pal.color(QPalette::Text);
        case 0x0F:
            return pal.color(QPalette::Button);
        default:
            return pal.color(QPalette::Window);
        }
    }
    return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                  static_cast<int>((color >> 16) & 0xFF));
}

TColor FromQColor(const QColor& color) {
    return static_cast<TColor>(color.red()) | (static_cast<TColor>(color.green()) << 8) |
           (static_cast<TColor>(color.blue()) << 16);
}

QString FontFamily(std::string_view name) {
    const std::string trimmed = base::Trim(name);
    if (trimmed.empty() || base::SameText(trimmed, "Arial") || base::SameText(trimmed, "Arial CE") ||
        base::SameText(trimmed, "MS Sans Serif"))
        return QStringLiteral("Liberation Sans");
    if (base::SameText(trimmed, "Courier New")) return QStringLiteral("Liberation Mono");
    if (base::SameText(trimmed, "Times New Roman") || base::SameText(trimmed, "Times New Roman CE"))
        return QStringLiteral("Liberation Serif");
    if (base::SameText(trimmed, "Arial Thin") || base::SameText(trimmed, "Arial Narrow"))
        return QStringLiteral("Liberation Sans Narrow");
    return QString::fromStdString(trimmed);
}

void UseProgramFont() {
    QFont font = QGuiApplication::font();
    font.setFamilies({FontFamily("MS Sans Serif")});
    QGuiApplication::setFont(font);
}

} // namespace fw
