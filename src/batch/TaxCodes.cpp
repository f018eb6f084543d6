#include "TaxCodes.h"

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
