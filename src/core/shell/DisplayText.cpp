#include "core/shell/DisplayText.h"

#include <QStringDecoder>

namespace {

// Characters after which a terminal, a pager or an editor may start a new line, or that turn the
// direction of what follows: C1 controls (with U+0085, next line), the line and paragraph
// separators, and the bidirectional controls.
bool breaksOrTurnsLine(char16_t code)
{
    return (code >= 0x80 && code <= 0x9F) || code == 0x061C || code == 0x200E || code == 0x200F ||
           (code >= 0x2028 && code <= 0x202E) || (code >= 0x2066 && code <= 0x2069);
}

} // namespace

QString reportLine(const QByteArray& path, const QString& text)
{
    return displayPath(path) + QStringLiteral(": ") + displayText(text) + u'\n';
}

QString displayPath(const QByteArray& path)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(path);
    if (!decoder.hasError())
        return displayText(text);
    QString shown;
    for (char byte : path) {
        const auto unit = static_cast<unsigned char>(byte);
        if (unit == '\\')
            shown += QStringLiteral("\\\\");
        else if (unit < 0x20 || unit >= 0x7F)
            shown += QStringLiteral("\\x%1").arg(unit, 2, 16, QLatin1Char('0'));
        else
            shown += QLatin1Char(byte);
    }
    return shown;
}

QString displayText(const QString& text)
{
    QString shown;
    shown.reserve(text.size());
    for (QChar c : text) {
        const char16_t code = c.unicode();
        if (code == u'\\')
            shown += QStringLiteral("\\\\");
        else if (code < 0x20 || code == 0x7F)
            shown += QStringLiteral("\\x%1").arg(code, 2, 16, QLatin1Char('0'));
        else if (breaksOrTurnsLine(code))
            shown += QStringLiteral("\\u%1").arg(code, 4, 16, QLatin1Char('0'));
        else
            shown += c;
    }
    return shown;
}
