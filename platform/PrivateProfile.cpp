#include "platform/PrivateProfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

namespace {

QStringList readLines(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    QString text = QString::fromUtf8(f.readAll());
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QStringList lines = text.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}

// "[name]" -> name, else a null string.
QString sectionName(const QString &line)
{
    const QString t = line.trimmed();
    if (t.size() >= 2 && t.startsWith('[') && t.endsWith(']')) return t.mid(1, t.size() - 2).trimmed();
    return {};
}

// "key=value" -> key, else a null string.
QString keyName(const QString &line, QString *value = nullptr)
{
    const QString t = line.trimmed();
    if (t.isEmpty() || t.startsWith(';') || t.startsWith('[')) return {};
    const int eq = t.indexOf('=');
    if (eq <= 0) return {};
    // The value is kept exactly as written, so a name with a trailing blank reads back
    // as it was written.
    if (value) *value = line.mid(line.indexOf('=') + 1);
    return t.left(eq).trimmed();
}

bool same(const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

ProfileWriteError writeError(const QString &fileName)
{
    return ProfileWriteError(QStringLiteral("No se puede escribir %1").arg(fileName).toStdString());
}

} // namespace

namespace PrivateProfile {

QString userFolder()
{
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base)) base = QDir::homePath() + QStringLiteral("/.config");
    if (!base.endsWith('/')) base += '/';
    return base + QStringLiteral("nuvira/");
}

QString resolve(const QString &fileName)
{
    if (fileName.contains('/')) return fileName;
    return userFolder() + fileName;
}

Profile::Profile(const QString &fileName) : m_fileName(fileName), m_path(resolve(fileName)), m_lines(readLines(m_path)) {}

QString Profile::readString(const QString &section, const QString &key, const QString &defaultValue) const
{
    bool inSection = false;
    for (const QString &line : m_lines) {
        const QString s = sectionName(line);
        if (!s.isNull()) {
            inSection = same(s, section);
            continue;
        }
        if (!inSection) continue;
        QString value;
        const QString k = keyName(line, &value);
        if (!k.isNull() && same(k, key)) return value;
    }
    return defaultValue;
}

int Profile::readInteger(const QString &section, const QString &key, int defaultValue) const
{
    const QString text = readString(section, key, QString());
    bool ok = false;
    const int v = text.toInt(&ok, 10);
    return ok ? v : defaultValue;
}

void Profile::writeString(const QString &section, const QString &key, const QString &value)
{
    QStringList &lines = m_lines;
    const QString entry = key + '=' + value;
    int sectionLine = -1;   // the header of the wanted section
    int lastInSection = -1; // its last non-blank line
    bool done = false;
    for (int i = 0; i < lines.size() && !done; ++i) {
        const QString s = sectionName(lines[i]);
        if (!s.isNull()) {
            if (sectionLine >= 0) break; // the section ended
            if (same(s, section)) {
                sectionLine = i;
                lastInSection = i;
            }
            continue;
        }
        if (sectionLine < 0) continue;
        if (!lines[i].trimmed().isEmpty()) lastInSection = i;
        const QString k = keyName(lines[i]);
        if (!k.isNull() && same(k, key)) {
            // The key keeps the spelling it has in the file; only its value changes.
            lines[i] = lines[i].left(lines[i].indexOf('=') + 1) + value;
            done = true;
        }
    }
    if (!done) {
        if (sectionLine >= 0) {
            lines.insert(lastInSection + 1, entry);
        } else {
            if (!lines.isEmpty() && !lines.last().trimmed().isEmpty()) lines << QString();
            lines << '[' + section + ']' << entry;
        }
    }
}

void Profile::writeInteger(const QString &section, const QString &key, int value)
{
    writeString(section, key, QString::number(value));
}

void Profile::save() const
{
    if (!QDir().mkpath(QFileInfo(m_path).absolutePath())) throw writeError(m_fileName);
    QFile out(m_path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) throw writeError(m_fileName);
    const QByteArray bytes = (m_lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
    if (out.write(bytes) != bytes.size() || !out.flush()) throw writeError(m_fileName);
    out.close();
    if (out.error() != QFileDevice::NoError) throw writeError(m_fileName);
}

QString readString(const QString &fileName, const QString &section, const QString &key,
                   const QString &defaultValue)
{
    return Profile(fileName).readString(section, key, defaultValue);
}

int readInteger(const QString &fileName, const QString &section, const QString &key, int defaultValue)
{
    return Profile(fileName).readInteger(section, key, defaultValue);
}

void writeString(const QString &fileName, const QString &section, const QString &key, const QString &value)
{
    Profile profile(fileName);
    profile.writeString(section, key, value);
    profile.save();
}

void writeInteger(const QString &fileName, const QString &section, const QString &key, int value)
{
    writeString(fileName, section, key, QString::number(value));
}

} // namespace PrivateProfile
