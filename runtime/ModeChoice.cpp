#include "runtime/ModeChoice.h"

#include "platform/MessageService.h"

ModeChoice ChooseMode(const QStringList &args)
{
    const QString first = args.value(0);
    if (first == QLatin1String("/p"))
        return {RunMode::Preview, args.value(1)};
    if (first.size() >= 2) {
        QChar c = first.at(1);
        // Only A to Z are folded, so other letters never turn into 'c'.
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(c.unicode() + ('a' - 'A'));
        if (c == QLatin1Char('c'))
            return {RunMode::Configure, {}};
    }
    return {RunMode::Show, {}};
}

std::optional<long long> ParsePreviewHost(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty()) return std::nullopt;
    int i = 0;
    if (t.at(0) == QLatin1Char('+') || t.at(0) == QLatin1Char('-')) i = 1;
    if (i == t.size()) return std::nullopt;
    for (int k = i; k < t.size(); ++k)
        if (t.at(k) < QLatin1Char('0') || t.at(k) > QLatin1Char('9')) return std::nullopt;
    bool ok = false;
    const long long v = t.toLongLong(&ok, 10);
    if (!ok) return std::nullopt;
    return v;
}

int RunConfigure()
{
    MessageService::box(QStringLiteral("No tiene ninguna configuración el screensaver ."),
                        QStringLiteral("Información"), MsgIcon::None, MsgButtons::Ok);
    return 0;
}
