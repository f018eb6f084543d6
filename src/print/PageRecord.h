#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QChar>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <span>

// The line format of the page files: a command code, then each field after
// one TAB, lines ended by CR LF. Numbers carry a blank before a non-negative
// value and one after every value, with the locale's decimal separator;
// booleans are -1 and 0; a TAB inside a text is stored as ESC.
namespace PageRecord {

enum Code : int {
    State = 0,
    FontName = 10,
    FontSize = 11,
    FontBold = 12,
    FontUnderline = 13,
    FontItalic = 14,
    TextStyled = 20,
    Text = 21,
    TextRight = 22,
    TextCentred = 23,
    Box = 30,
    HLine = 31,
    VLine = 32,
    FilledBox = 33,
    ColouredLine = 34,
    Image = 90,
};

// A reader splits a line into the code and at most ten fields.
constexpr int kMaxFields = 11;
// Lines longer than this are damage, not records: they are skipped unread.
constexpr qint64 kMaxLineBytes = 256 * 1024;
// Texts are cut to this length when recorded; no page line is wider.
constexpr int kMaxTextLength = 10000;

// The separator used when writing: ',' on comma locales, '.' elsewhere.
QChar systemDecimalSeparator();

QString number(double value, QChar decimalSeparator);
QString boolean(bool value);
QString escapeText(const QString& text);
QString unescapeText(const QString& text);

// Joins a code and its fields into one line, CR LF included, as UTF-8.
QByteArray line(int code, const QStringList& fields);

// A field of a record about to be written: a number, a boolean or a text.
// A text is only looked at, so it must outlive the writing.
struct Field
{
    enum class Kind { Number, Boolean, Text };
    Kind kind;
    double value = 0;
    QStringView text;
};
inline Field asNumber(double value)
{
    return {Field::Kind::Number, value, {}};
}
inline Field asBoolean(bool on)
{
    return {Field::Kind::Boolean, on ? 1.0 : 0.0, {}};
}
inline Field asText(QStringView text)
{
    return {Field::Kind::Text, 0, text};
}

// Appends the line of a code and its fields to out, as line() writes them
// from number(), boolean() and escapeText(), without a string per field: a
// report writes millions of fields.
void appendLine(QByteArray& out, int code, std::span<const Field> fields, char decimalSeparator);
// The number alone, as number() writes it.
void appendNumber(QByteArray& out, double value, char decimalSeparator);

// Splits a line without its line end; the eleventh field keeps any TAB
// that follows.
QStringList split(const QString& line);

// Blanks removed, the first comma read as the decimal point. Nothing for an
// empty, non-numeric or non-finite field.
std::optional<double> readNumber(const QString& field);

// The same reading straight from the bytes of a page file, without making
// strings: replaying a page reads thousands of fields.
struct FieldViews
{
    std::array<QByteArrayView, kMaxFields> at;
    int count = 0;
};
FieldViews splitFields(QByteArrayView line);
std::optional<double> numberField(QByteArrayView field);
// A text field as a string, TABs restored.
QString textField(QByteArrayView field);

// Page n is "~WRK" + n in four digits + ".Tmp". Pages from 10000 on keep all
// their digits so that they never overwrite the first pages.
QString pageFileName(int page);
inline constexpr const char* kPageFilePattern = "~WRK*.Tmp";

} // namespace PageRecord
