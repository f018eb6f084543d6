#include "TaxCodes.h"

#include <algorithm>

namespace {

bool isVowel(QChar c)
{
    return QStringLiteral("AEIOU").contains(c);
}

QString lettersOf(const QString& text)
{
    QString letters;
    for (const QChar c : text.toUpper())
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            letters += c;
    return letters;
}

QString consonants(const QString& letters)
{
    QString result;
    for (const QChar c : letters)
        if (!isVowel(c))
            result += c;
    return result;
}

QString vowels(const QString& letters)
{
    QString result;
    for (const QChar c : letters)
        if (isVowel(c))
            result += c;
    return result;
}

QString threeLetters(const QString& consonantsFirst, const QString& letters)
{
    return (consonantsFirst + vowels(letters) + QStringLiteral("XXX")).left(3);
}

} // namespace

QString codiceFiscale(const QString& surname, const QString& name, const QDate& birth, bool female,
                      const QString& cadastralCode)
{
    const QString surnameLetters = lettersOf(surname);
    const QString nameLetters = lettersOf(name);
    QString nameConsonants = consonants(nameLetters);
    // A name of four consonants or more skips the second.
    if (nameConsonants.size() >= 4)
        nameConsonants = nameConsonants.at(0) + nameConsonants.mid(2, 2);
    static const QString months = QStringLiteral("ABCDEHLMPRST");
    const QString first15 =
        threeLetters(consonants(surnameLetters), surnameLetters) +
        threeLetters(nameConsonants, nameLetters) +
        QString::number(birth.year() % 100).rightJustified(2, QLatin1Char('0')) +
        months.at(birth.month() - 1) +
        QString::number(birth.day() + (female ? 40 : 0)).rightJustified(2, QLatin1Char('0')) +
        cadastralCode.toUpper();
    return first15 + codiceFiscaleCheck(first15);
}

QChar codiceFiscaleCheck(const QString& first15)
{
    // The values of the characters in odd places (the first, the third ...),
    // for 0-9 and A-Z alike by the character's rank.
    static const int odd[] = {1,  0,  5, 7, 9, 13, 15, 17, 19, 21, 2,  4,  18,
                              20, 11, 3, 6, 8, 12, 14, 16, 10, 22, 25, 24, 23};
    int sum = 0;
    for (int i = 0; i < first15.size(); ++i) {
        const QChar c = first15.at(i).toUpper();
        const int rank = c.isDigit() ? c.digitValue() : c.unicode() - 'A';
        sum += i % 2 == 0 ? odd[rank] : rank;
    }
    return QLatin1Char(char('A' + sum % 26));
}

QString partitaIva(const QString& tenDigits)
{
    int sum = 0;
    for (int i = 0; i < tenDigits.size(); ++i) {
        int digit = tenDigits.at(i).digitValue();
        if (i % 2 == 1) {
            digit *= 2;
            if (digit > 9)
                digit -= 9;
        }
        sum += digit;
    }
    return tenDigits + QString::number((10 - sum % 10) % 10);
}

namespace {

// The letters that take a digit's place in the digit positions of a
// codice fiscale made unique (omocodia): L stands for 0, V for 9.
const QString& omocodiaLetters()
{
    static const QString letters = QStringLiteral("LMNPQRSTUV");
    return letters;
}

bool isLetter(QChar c)
{
    return c >= QLatin1Char('A') && c <= QLatin1Char('Z');
}

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool allDigits(const QString& text)
{
    return std::all_of(text.begin(), text.end(), isDigit);
}

// The digit a digit position holds, the omocodia letters read back; -1 for
// any other character.
int digitAt(const QString& code, int position)
{
    const QChar c = code.at(position);
    if (isDigit(c))
        return c.digitValue();
    return int(omocodiaLetters().indexOf(c));
}

QString personCodeProblem(const QString& code)
{
    for (int i : {0, 1, 2, 3, 4, 5, 8, 11, 15})
        if (!isLetter(code.at(i)))
            return QStringLiteral("il carattere %1 (\"%2\") dovrebbe essere una lettera")
                .arg(i + 1)
                .arg(code.at(i));
    for (int i : {6, 7, 9, 10, 12, 13, 14})
        if (digitAt(code, i) < 0)
            return QStringLiteral("il carattere %1 (\"%2\") dovrebbe essere una cifra")
                .arg(i + 1)
                .arg(code.at(i));
    if (!QStringLiteral("ABCDEHLMPRST").contains(code.at(8)))
        return QStringLiteral("la lettera del mese \"%1\" non esiste").arg(code.at(8));
    // Women's days of birth are counted from 41.
    const int day = digitAt(code, 9) * 10 + digitAt(code, 10);
    if (day < 1 || (day > 31 && day < 41) || day > 71)
        return QStringLiteral("il giorno di nascita %1 non esiste").arg(day);
    if (const QChar check = codiceFiscaleCheck(code.left(15)); check != code.at(15))
        return QStringLiteral("il carattere di controllo dovrebbe essere %1").arg(check);
    return {};
}

} // namespace

bool hasItalianTaxCodes(const QString& country)
{
    const QString trimmed = country.trimmed();
    return trimmed.isEmpty() || trimmed.compare(QLatin1String("IT"), Qt::CaseInsensitive) == 0;
}

QString taxCodeForm(const QString& text)
{
    QString form;
    for (const QChar c : text)
        if (!c.isSpace())
            form += c.toUpper();
    return form;
}

QString partitaIvaProblem(const QString& text)
{
    const QString code = taxCodeForm(text);
    if (code.size() != 11 || !allDigits(code))
        return QStringLiteral("dovrebbe avere 11 cifre");
    if (code == QStringLiteral("00000000000"))
        return QStringLiteral("non può essere fatta di soli zeri");
    if (const QString expected = partitaIva(code.left(10)); expected != code)
        return QStringLiteral("la cifra di controllo dovrebbe essere %1").arg(expected.right(1));
    return {};
}

QString codiceFiscaleProblem(const QString& text)
{
    const QString code = taxCodeForm(text);
    if (allDigits(code)) {
        if (code.size() != 11)
            return QStringLiteral("dovrebbe avere 11 cifre per una società o un ente");
        if (const QString expected = partitaIva(code.left(10)); expected != code)
            return QStringLiteral("la cifra di controllo dovrebbe essere %1")
                .arg(expected.right(1));
        return {};
    }
    if (code.size() != 16)
        return QStringLiteral("dovrebbe avere 16 caratteri (11 cifre per società ed enti), non %1")
            .arg(code.size());
    return personCodeProblem(code);
}

QString taxCodeProblem(TaxCodeKind kind, const QString& text, const QString& country)
{
    if (text.trimmed().isEmpty() || !hasItalianTaxCodes(country))
        return {};
    return kind == TaxCodeKind::PartitaIva ? partitaIvaProblem(text) : codiceFiscaleProblem(text);
}
