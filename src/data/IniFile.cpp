#include "IniFile.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <vector>

namespace {

// The file as lines of text, remembering how it was encoded and how its
// lines end so that a rewrite changes nothing but the key written.
struct IniText
{
    std::vector<QByteArray> lines; // raw bytes, without line ends
    bool utf8 = true;
    QByteArray newline = "\n";
    bool endsWithNewline = true;
};

IniText readIni(const QString& path, bool* exists)
{
    IniText ini;
    QFile f(path);
    *exists = f.open(QIODevice::ReadOnly);
    if (!*exists)
        return ini;
    const QByteArray data = f.readAll();
    QStringDecoder check(QStringDecoder::Utf8);
    const QString decoded = check.decode(data); // decoding is lazy until converted
    Q_UNUSED(decoded);
    ini.utf8 = !check.hasError();
    if (data.contains("\r\n"))
        ini.newline = "\r\n";
    ini.endsWithNewline = data.isEmpty() || data.endsWith('\n');
    for (QByteArray line : data.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        ini.lines.push_back(line);
    }
    if (ini.lines.size() > 0 && ini.lines.back().isEmpty() && data.endsWith('\n'))
        ini.lines.pop_back();
    if (data.isEmpty())
        ini.lines.clear();
    return ini;
}

QString decode(const IniText& ini, const QByteArray& bytes)
{
    return ini.utf8 ? QString::fromUtf8(bytes) : QString::fromLatin1(bytes);
}

QByteArray encode(const IniText& ini, const QString& text)
{
    if (ini.utf8)
        return text.toUtf8();
    QByteArray out;
    out.reserve(text.size());
    for (const QChar c : text)
        out.append(c.unicode() < 256 ? char(c.unicode()) : '?');
    return out;
}

// "[name]" with blanks allowed around it; returns the name or nothing.
std::optional<QString> sectionName(const QString& line)
{
    const QString t = line.trimmed();
    if (!t.startsWith(QLatin1Char('[')))
        return std::nullopt;
    const qsizetype close = t.indexOf(QLatin1Char(']'));
    if (close < 0)
        return std::nullopt;
    return t.mid(1, close - 1).trimmed();
}

// "key = value"; comment lines and lines without "=" are not keys.
bool splitKey(const QString& line, QString* key, QString* value)
{
    const QString t = line.trimmed();
    if (t.startsWith(QLatin1Char(';')))
        return false;
    const qsizetype eq = t.indexOf(QLatin1Char('='));
    if (eq <= 0)
        return false;
    *key = t.left(eq).trimmed();
    *value = t.mid(eq + 1).trimmed();
    return true;
}

QString unquote(const QString& v)
{
    if (v.size() >= 2 && (v.front() == QLatin1Char('"') || v.front() == QLatin1Char('\''))
        && v.back() == v.front())
        return v.mid(1, v.size() - 2);
    return v;
}

bool sameName(const QString& a, const QString& b)
{
    return a.trimmed().compare(b.trimmed(), Qt::CaseInsensitive) == 0;
}

} // namespace

std::optional<QString> LeggiIni(const QString& section, const QString& key, const QString& file)
{
    bool exists = false;
    const IniText ini = readIni(file, &exists);
    bool inSection = false;
    for (const QByteArray& raw : ini.lines) {
        const QString line = decode(ini, raw);
        if (const auto name = sectionName(line)) {
            // The first section of that name is the one read.
            if (inSection)
                break;
            inSection = sameName(*name, section);
            continue;
        }
        QString k, v;
        if (inSection && splitKey(line, &k, &v) && sameName(k, key)) {
            v = unquote(v).left(kIniValueLimit);
            if (v.isEmpty())
                return std::nullopt;
            return v;
        }
    }
    return std::nullopt;
}

bool ScriviIni(const QString& section, const QString& key, const QString& file, const QString& newValue)
{
    // A line break inside the value would turn its rest into a line of its own.
    QString value = newValue;
    value.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    bool exists = false;
    IniText ini = readIni(file, &exists);
    if (exists && ini.lines.empty())
        ini.endsWithNewline = true;

    int sectionLine = -1;
    int lastContentLine = -1; // last non-blank line of the section
    int keyLine = -1;
    for (int i = 0; i < int(ini.lines.size()); ++i) {
        const QString line = decode(ini, ini.lines[i]);
        if (const auto name = sectionName(line)) {
            if (sectionLine >= 0)
                break;
            if (sameName(*name, section)) {
                sectionLine = i;
                lastContentLine = i;
            }
            continue;
        }
        if (sectionLine < 0)
            continue;
        if (!line.trimmed().isEmpty())
            lastContentLine = i;
        QString k, v;
        if (splitKey(line, &k, &v) && sameName(k, key)) {
            keyLine = i;
            break;
        }
    }

    if (keyLine >= 0) {
        // Keep the key as it was spelt in the file.
        QString k, v;
        splitKey(decode(ini, ini.lines[keyLine]), &k, &v);
        ini.lines[keyLine] = encode(ini, k + QLatin1Char('=') + value);
    } else if (sectionLine >= 0) {
        ini.lines.insert(ini.lines.begin() + lastContentLine + 1, encode(ini, key + QLatin1Char('=') + value));
    } else {
        ini.lines.push_back(encode(ini, QLatin1Char('[') + section + QLatin1Char(']')));
        ini.lines.push_back(encode(ini, key + QLatin1Char('=') + value));
        ini.endsWithNewline = true;
    }

    QByteArray out;
    for (std::size_t i = 0; i < ini.lines.size(); ++i) {
        out += ini.lines[i];
        if (i + 1 < ini.lines.size() || ini.endsWithNewline)
            out += ini.newline;
    }
    QSaveFile f(file);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    if (f.write(out) != out.size())
        return false;
    return f.commit();
}

bool profiloGeometra(const QString& settingsFile)
{
    return LeggiIni(QStringLiteral("Generale"), QStringLiteral("Calcolo"), settingsFile)
           == std::optional<QString>(QStringLiteral("GEOMETRA"));
}
