#include "cli/BuildOptions.h"

#include "package/PackageFormat.h"

#include <QRegularExpression>

const char *const BuildUsage =
    "usage: nuvira-build [--flash] [--music FILE]... [--delay N] [--quit N] [--effects LIST]\n"
    "                    [--screen WxH] [--exe] -o OUTPUT FILE...\n"
    "       nuvira-build --inspect FILE\n"
    "\n"
    "Builds a NUVIRA screensaver from pictures (JPEG, BMP, GIF) or, with --flash, Flash movies.\n"
    "  FILE...          the pictures or movies, in showing order\n"
    "  --music FILE     background music (.mid, .mp3, .wav), repeatable, in playing order\n"
    "  --delay N        seconds between pictures (default 5)\n"
    "  --quit N         what closes it: 1 mouse moves, 2 click, 3 key, 4 any of those,\n"
    "                   5 only Alt+F4 (default 1 for pictures, 3 for Flash)\n"
    "  --effects LIST   effect numbers and ranges such as 1,8,52-60, or all (default all)\n"
    "  --screen WxH     size of the prepared pictures (default the screen, else 1920x1080)\n"
    "  --exe            make an .exe instead of an .scr\n"
    "  -o OUTPUT        the file to write; its extension becomes .scr or .exe\n"
    "  --inspect FILE   print a package's trailer and piece sizes\n";

namespace {
QList<int> offeredEffects()
{
    const std::vector<int> offered = package::OfferedEffects();
    return QList<int>(offered.begin(), offered.end());
}

bool toInt(const QString &s, int &out)
{
    bool ok = false;
    out = s.trimmed().toInt(&ok);
    return ok;
}
}

QString ParseEffectList(const QString &text, QList<int> &out)
{
    out.clear();
    if (text.trimmed().compare(QLatin1String("all"), Qt::CaseInsensitive) == 0) {
        out = offeredEffects();
        return {};
    }
    for (const QString &item : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        int from = 0, to = 0;
        const qsizetype dash = item.indexOf(QLatin1Char('-'), 1);
        if (dash > 0) {
            if (!toInt(item.left(dash), from) || !toInt(item.mid(dash + 1), to) || to < from)
                return QStringLiteral("bad effect range \"%1\"").arg(item);
        } else if (toInt(item, from)) {
            to = from;
        } else {
            return QStringLiteral("bad effect number \"%1\"").arg(item);
        }
        for (int k = from; k <= to; ++k) {
            if (!package::IsOfferedEffect(k))
                return QStringLiteral("effect %1 is not offered (use 1 to %2 without %3)")
                    .arg(k)
                    .arg(package::MaxEffectNumber)
                    .arg(QString::fromStdString(package::ExcludedEffectsText()));
            if (!out.contains(k)) out << k;
        }
    }
    std::sort(out.begin(), out.end());
    return {};
}

QString ParseBuildOptions(const QStringList &args, BuildOptions &o)
{
    bool effectsGiven = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        auto value = [&](QString &v) {
            if (i + 1 >= args.size()) return false;
            v = args[++i];
            return true;
        };
        QString v;
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            o.help = true;
        } else if (a == QLatin1String("--inspect")) {
            if (!value(o.inspect)) return QStringLiteral("--inspect needs a file");
        } else if (a == QLatin1String("--flash")) {
            o.flash = true;
        } else if (a == QLatin1String("--exe")) {
            o.exe = true;
        } else if (a == QLatin1String("--music")) {
            if (!value(v)) return QStringLiteral("--music needs a file");
            o.music << v;
        } else if (a == QLatin1String("--delay")) {
            if (!value(v) || !toInt(v, o.delay)) return QStringLiteral("--delay needs a whole number");
        } else if (a == QLatin1String("--quit")) {
            int q = 0;
            if (!value(v) || !toInt(v, q) || q < 1 || q > 5) return QStringLiteral("--quit needs a number from 1 to 5");
            o.quit = q;
        } else if (a == QLatin1String("--effects")) {
            if (!value(v)) return QStringLiteral("--effects needs a list");
            if (QString e = ParseEffectList(v, o.effects); !e.isEmpty()) return e;
            effectsGiven = true;
        } else if (a == QLatin1String("--screen")) {
            static const QRegularExpression re(QStringLiteral("^(\\d{1,5})x(\\d{1,5})$"));
            const auto m = value(v) ? re.match(v) : QRegularExpressionMatch();
            if (!m.hasMatch() || m.captured(1).toInt() < 1 || m.captured(2).toInt() < 1)
                return QStringLiteral("--screen needs WIDTHxHEIGHT, for example 1920x1080");
            o.screen = QSize(m.captured(1).toInt(), m.captured(2).toInt());
        } else if (a == QLatin1String("-o") || a == QLatin1String("--output")) {
            if (!value(o.output)) return QStringLiteral("-o needs an output path");
        } else if (a.startsWith(QLatin1Char('-')) && a.size() > 1) {
            return QStringLiteral("unknown option %1").arg(a);
        } else {
            o.files << a;
        }
    }
    if (!effectsGiven) o.effects = offeredEffects();
    return {};
}
