#include "DesktopEntry.h"

#include <QFile>
#include <QHash>
#include <QUrl>

namespace {

// The escapes of a string value: \s, \n, \t, \r and \\.
QString unescape(const QString& value)
{
    QString text;
    text.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c != QLatin1Char('\\') || i + 1 == value.size()) {
            text += c;
            continue;
        }
        switch (value.at(++i).unicode()) {
        case 's':
            text += QLatin1Char(' ');
            break;
        case 'n':
            text += QLatin1Char('\n');
            break;
        case 't':
            text += QLatin1Char('\t');
            break;
        case 'r':
            text += QLatin1Char('\r');
            break;
        default:
            // \\ gives one; an escape of another character keeps both for
            // the Exec quoting, which knows its own.
            if (value.at(i) != QLatin1Char('\\'))
                text += QLatin1Char('\\');
            text += value.at(i);
            break;
        }
    }
    return text;
}

// The values of the [Desktop Entry] group, the translated ones left out.
QHash<QString, QString> entryGroup(const QByteArray& bytes)
{
    QHash<QString, QString> values;
    bool inEntry = false;
    for (const QByteArray& raw : bytes.split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            inEntry = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (!inEntry || equals <= 0)
            continue;
        const QString key = line.left(equals).trimmed();
        // The first of a repeated key counts.
        if (!key.contains(QLatin1Char('[')) && !values.contains(key))
            values.insert(key, unescape(line.mid(equals + 1).trimmed()));
    }
    return values;
}

bool isTrue(const QString& value)
{
    return value == QLatin1String("true");
}

} // namespace

std::optional<QStringList> splitExec(const QString& exec)
{
    static const QString escapable = QStringLiteral("\"`$\\");
    QStringList words;
    QString word;
    bool inWord = false;
    bool quoted = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec.at(i);
        if (quoted) {
            if (c == QLatin1Char('\\') && i + 1 < exec.size() && escapable.contains(exec.at(i + 1)))
                word += exec.at(++i);
            else if (c == QLatin1Char('"'))
                quoted = false;
            else
                word += c;
        } else if (c == QLatin1Char(' ') || c == QLatin1Char('\t')) {
            if (inWord)
                words << word;
            word.clear();
            inWord = false;
        } else if (c == QLatin1Char('"')) {
            quoted = true;
            inWord = true;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (quoted)
        return std::nullopt;
    if (inWord)
        words << word;
    return words;
}

std::optional<DesktopEntry> readDesktopEntry(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QHash<QString, QString> values = entryGroup(file.readAll());
    if (values.value(QStringLiteral("Type")) != QLatin1String("Application"))
        return std::nullopt;
    const auto exec = splitExec(values.value(QStringLiteral("Exec")));
    if (!exec || exec->isEmpty())
        return std::nullopt;
    DesktopEntry entry;
    entry.file = path;
    entry.name = values.value(QStringLiteral("Name"));
    entry.icon = values.value(QStringLiteral("Icon"));
    entry.exec = *exec;
    entry.tryExec = values.value(QStringLiteral("TryExec"));
    entry.hidden = isTrue(values.value(QStringLiteral("Hidden")));
    entry.terminal = isTrue(values.value(QStringLiteral("Terminal")));
    return entry;
}

QStringList commandForFile(const DesktopEntry& entry, const QString& file)
{
    const QString url = QUrl::fromLocalFile(file).toString(QUrl::FullyEncoded);
    QStringList command;
    bool fileGiven = false;
    for (const QString& word : entry.exec) {
        // Codes that stand for a list are words of their own.
        if (word == QLatin1String("%f") || word == QLatin1String("%F") ||
            word == QLatin1String("%u") || word == QLatin1String("%U")) {
            command << (word.at(1).toLower() == QLatin1Char('f') ? file : url);
            fileGiven = true;
            continue;
        }
        if (word == QLatin1String("%i")) {
            if (!entry.icon.isEmpty())
                command << QStringLiteral("--icon") << entry.icon;
            continue;
        }
        QString expanded;
        for (qsizetype i = 0; i < word.size(); ++i) {
            if (word.at(i) != QLatin1Char('%') || i + 1 == word.size()) {
                expanded += word.at(i);
                continue;
            }
            switch (word.at(++i).unicode()) {
            case 'f':
            case 'F':
                expanded += file;
                fileGiven = true;
                break;
            case 'u':
            case 'U':
                expanded += url;
                fileGiven = true;
                break;
            case 'c':
                expanded += entry.name;
                break;
            case 'k':
                expanded += entry.file;
                break;
            case '%':
                expanded += QLatin1Char('%');
                break;
            default: // deprecated codes, and %i inside a word
                break;
            }
        }
        if (!expanded.isEmpty() || word.isEmpty())
            command << expanded;
    }
    if (!fileGiven)
        command << file;
    return command;
}
