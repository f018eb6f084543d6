#include "IniFile.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QStringList>

namespace {

enum class Codec { Utf8, Latin1, Utf16LE, Utf16BE };

// The file as lines of text, remembering how it was encoded, its byte-order
// mark and how its lines end, so that a rewrite changes nothing but the key
// written.
struct IniText
{
    QStringList lines; // without line ends
    Codec codec = Codec::Utf8;
    QByteArray bom;
    // Bytes that did not decode: a rewrite would lose them.
    bool undecodable = false;
    QString newline = QStringLiteral("\n");
    bool endsWithNewline = true;
};

QString decodeText(IniText* ini, const QByteArray& data)
{
    static const QByteArray utf8Bom("\xEF\xBB\xBF");
    static const QByteArray utf16LeBom("\xFF\xFE");
    static const QByteArray utf16BeBom("\xFE\xFF");
    if (data.startsWith(utf16LeBom) || data.startsWith(utf16BeBom)) {
        ini->bom = data.left(2);
        ini->codec = data.startsWith(utf16LeBom) ? Codec::Utf16LE : Codec::Utf16BE;
        QStringDecoder decoder(ini->codec == Codec::Utf16LE ? QStringDecoder::Utf16LE
                                                            : QStringDecoder::Utf16BE,
                               QStringDecoder::Flag::Stateless);
        const QByteArrayView body = QByteArrayView(data).sliced(2);
        const QString text = decoder.decode(body);
        // The decoder turns a last lone byte into a replacement character
        // without calling it an error.
        ini->undecodable = decoder.hasError() || body.size() % 2 != 0;
        return text;
    }
    if (data.startsWith(utf8Bom))
        ini->bom = utf8Bom;
    const QByteArrayView body = QByteArrayView(data).sliced(ini->bom.size());
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(body);
    if (!utf8.hasError())
        return text;
    // Not UTF-8: Latin-1 maps every byte to one character and back.
    ini->codec = Codec::Latin1;
    return QString::fromLatin1(body);
}

IniText readIni(const QString& path, bool* exists)
{
    IniText ini;
    QFile f(path);
    *exists = f.open(QIODevice::ReadOnly);
    if (!*exists)
        return ini;
    const QString text = decodeText(&ini, f.readAll());
    if (text.contains(QLatin1String("\r\n")))
        ini.newline = QStringLiteral("\r\n");
    ini.endsWithNewline = text.isEmpty() || text.endsWith(QLatin1Char('\n'));
    if (text.isEmpty())
        return ini;
    ini.lines = text.split(QLatin1Char('\n'));
    for (QString& line : ini.lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    if (ini.lines.back().isEmpty() && text.endsWith(QLatin1Char('\n')))
        ini.lines.removeLast();
    return ini;
}

QByteArray encode(const IniText& ini, const QString& text)
{
    switch (ini.codec) {
    case Codec::Utf8:
        return text.toUtf8();
    case Codec::Utf16LE:
        return QStringEncoder(QStringEncoder::Utf16LE)(text);
    case Codec::Utf16BE:
        return QStringEncoder(QStringEncoder::Utf16BE)(text);
    case Codec::Latin1:
        break;
    }
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
    if (v.size() >= 2 && (v.front() == QLatin1Char('"') || v.front() == QLatin1Char('\'')) &&
        v.back() == v.front())
        return v.mid(1, v.size() - 2);
    return v;
}

bool sameName(const QString& a, const QString& b)
{
    return a.trimmed().compare(b.trimmed(), Qt::CaseInsensitive) == 0;
}

} // namespace

struct IniReadOnce::Files
{
    QHash<QString, IniText> read;
};

namespace {

// The files of the IniReadOnce that lives on this thread, if one does.
thread_local IniReadOnce::Files* t_readOnce = nullptr;

IniText readIniOnce(const QString& path)
{
    bool exists = false;
    if (!t_readOnce)
        return readIni(path, &exists);
    const auto found = t_readOnce->read.constFind(path);
    if (found != t_readOnce->read.cend())
        return *found;
    return *t_readOnce->read.insert(path, readIni(path, &exists));
}

} // namespace

IniReadOnce::IniReadOnce()
{
    if (!t_readOnce) {
        m_files = std::make_unique<Files>();
        t_readOnce = m_files.get();
    }
}

IniReadOnce::~IniReadOnce()
{
    if (m_files)
        t_readOnce = nullptr;
}

std::optional<QString> LeggiIni(const QString& section, const QString& key, const QString& file)
{
    const IniText ini = readIniOnce(file);
    bool inSection = false;
    for (const QString& line : ini.lines) {
        if (const auto name = sectionName(line)) {
            // The first section of that name is the one read.
            if (inSection)
                break;
            inSection = sameName(*name, section);
            continue;
        }
        QString k, v;
        if (inSection && splitKey(line, &k, &v) && sameName(k, key)) {
            // A NUL ends the value, as it ends a C string: every reader
            // sees the same text.
            const qsizetype nul = v.indexOf(QChar(0));
            if (nul >= 0)
                v = v.left(nul).trimmed();
            v = unquote(v).left(kIniValueLimit);
            if (v.isEmpty())
                return std::nullopt;
            return v;
        }
    }
    return std::nullopt;
}

bool ScriviIni(const QString& section, const QString& key, const QString& file,
               const QString& newValue)
{
    // A line break inside the value would turn its rest into a line of its own.
    QString value = newValue;
    value.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    if (t_readOnce)
        t_readOnce->read.remove(file);
    bool exists = false;
    IniText ini = readIni(file, &exists);
    // A file that cannot be read, or not decoded whole, would lose its
    // other lines.
    if ((!exists && QFileInfo::exists(file)) || ini.undecodable)
        return false;
    if (exists && ini.lines.empty())
        ini.endsWithNewline = true;

    int sectionLine = -1;
    int lastContentLine = -1; // last non-blank line of the section
    int keyLine = -1;
    for (int i = 0; i < int(ini.lines.size()); ++i) {
        const QString& line = ini.lines[i];
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
        splitKey(ini.lines[keyLine], &k, &v);
        ini.lines[keyLine] = k + QLatin1Char('=') + value;
    } else if (sectionLine >= 0) {
        ini.lines.insert(lastContentLine + 1, key + QLatin1Char('=') + value);
    } else {
        ini.lines.push_back(QLatin1Char('[') + section + QLatin1Char(']'));
        ini.lines.push_back(key + QLatin1Char('=') + value);
        ini.endsWithNewline = true;
    }

    QString text = ini.lines.join(ini.newline);
    if (ini.endsWithNewline && !ini.lines.isEmpty())
        text += ini.newline;
    const QByteArray out = ini.bom + encode(ini, text);
    QSaveFile f(file);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    // The settings hold the professional's data: a new file is for this
    // user only. An existing file keeps the permissions it has.
    if (!exists && !f.setPermissions(QFile::ReadOwner | QFile::WriteOwner))
        return false;
    if (f.write(out) != out.size())
        return false;
    return f.commit();
}
