#include "DocumentAmounts.h"

#include "IniFile.h"
#include "KeyText.h"
#include "RecordRules.h"
#include "Recordset.h"
#include "TextForms.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>

double rateReading(const QString& text)
{
    return leadingNumber(text);
}

double amountReading(const QString& text)
{
    return leadingNumber(TogliFormato(text));
}

QString amountWriting(double value)
{
    // At most 15 significant digits first, so 0.575 is rounded as 0.575 and
    // not as the binary 0.57499999...
    QString text = QString::number(value, 'g', 15);
    if (text.contains(QLatin1Char('e')))
        text = QString::number(text.toDouble(), 'f', 15);
    static const QRegularExpression number(QStringLiteral(R"(^(-?)(\d*)(?:\.(\d*))?$)"));
    const auto m = number.match(text);
    if (!m.hasMatch())
        return QStringLiteral("0.00").rightJustified(13);
    const QString decimals = (m.captured(3) + QStringLiteral("000")).left(3);
    QString integer = m.captured(2).isEmpty() ? QStringLiteral("0") : m.captured(2);
    qint64 hundredths =
        decimals.left(2).toLongLong() + (decimals.at(2) >= QLatin1Char('5') ? 1 : 0);
    // Carry into the integer digits as text: they may exceed 64 bits.
    if (hundredths == 100) {
        hundredths = 0;
        int i = int(integer.size()) - 1;
        while (i >= 0 && integer.at(i) == QLatin1Char('9'))
            integer[i--] = QLatin1Char('0');
        if (i < 0)
            integer.prepend(QLatin1Char('1'));
        else
            integer[i] = QChar(integer.at(i).unicode() + 1);
    }
    const bool negative = m.captured(1) == QLatin1String("-") &&
                          (hundredths != 0 || integer.count(QLatin1Char('0')) != integer.size());
    const QString result = (negative ? QStringLiteral("-") : QString()) + integer +
                           QLatin1Char('.') +
                           QStringLiteral("%1").arg(hundredths, 2, 10, QLatin1Char('0'));
    return result.rightJustified(13);
}

QString totalInFieldForm(const QString& written)
{
    QString t = written.trimmed();
    const bool negative = t.startsWith(QLatin1Char('-'));
    if (negative)
        t.remove(0, 1);
    const qsizetype point = t.indexOf(QLatin1Char('.'));
    const QString integer = point < 0 ? t : t.left(point);
    const QString decimals = point < 0 ? QString() : t.mid(point);
    return (negative ? QStringLiteral("-") : QString()) + groupThousands(integer) + decimals;
}

void svuotaImportiDerivati(FieldAccess& fields, int index)
{
    switch (index) {
    case FeeField::Fee:
        fields.setText(FeeField::Vat, QString());
        fields.setText(FeeField::Contribution, QString());
        fields.setText(FeeField::Withholding, QString());
        break;
    case FeeField::VatRate:
        fields.setText(FeeField::Vat, QString());
        break;
    case FeeField::ContributionRate:
        fields.setText(FeeField::Contribution, QString());
        break;
    case FeeField::WithholdingRate:
        fields.setText(FeeField::Withholding, QString());
        break;
    default:
        break;
    }
}

void CalcolaImporti(FieldAccess& fields, int index, bool withStamp, bool geometra, QString* totale)
{
    const bool computing =
        index >= FeeField::Fee && index <= FeeField::WithholdingRate &&
        fields.fieldSpec(index).declaration.toUpper().endsWith(QLatin1String("ZZ"));
    const QString feeText = fields.text(FeeField::Fee);
    const double F = amountReading(feeText);
    const double Vr = rateReading(fields.text(FeeField::VatRate));
    const double Cr = rateReading(fields.text(FeeField::ContributionRate));
    const double Rr = rateReading(fields.text(FeeField::WithholdingRate));
    const bool feeGiven = rateReading(feeText) != 0;

    if (computing) {
        if (fields.text(FeeField::Vat).isEmpty())
            fields.setText(FeeField::Vat, feeGiven && Vr != 0
                                              ? amountWriting((F + Cr * F / 100) * Vr / 100)
                                              : QString());
        if (fields.text(FeeField::Contribution).isEmpty())
            fields.setText(FeeField::Contribution,
                           feeGiven && Cr != 0 ? amountWriting(F * Cr / 100) : QString());
        if (fields.text(FeeField::Withholding).isEmpty()) {
            QString r;
            if (feeGiven && Rr != 0) {
                const double base =
                    geometra ? F : F + amountReading(fields.text(FeeField::Contribution));
                r = amountWriting(base * Rr / 100);
            }
            fields.setText(FeeField::Withholding, r);
        }
    }

    const double V = amountReading(fields.text(FeeField::Vat));
    const double C = amountReading(fields.text(FeeField::Contribution));
    const double R = amountReading(fields.text(FeeField::Withholding));
    const double S = amountReading(fields.text(FeeField::Expenses));
    if (F * ((Vr / 100 + 1) - Cr / 100) == 0) {
        totale->clear();
        return;
    }
    double total = F + V + C - R + S;
    if (withStamp)
        total += amountReading(fields.text(FeeField::Stamp));
    *totale = amountWriting(total);
}

bool CalcolaImportiAcquisto(const FieldAccess& fields, int index, PurchaseDisplays* out)
{
    if (index < 4 || index > 6)
        return false;
    const QString taxableText = fields.text(4);
    const double T = amountReading(taxableText);
    const double Pv = rateReading(fields.text(5));
    const double D = rateReading(fields.text(6));
    const bool taxableGiven = rateReading(taxableText) != 0;
    out->taxable = taxableGiven ? FormattaEuro(taxableText) : QString();
    out->vat =
        taxableGiven && Pv != 0 ? FormattaEuro(amountWriting(T * Pv / 100).trimmed()) : QString();
    out->deductible =
        taxableGiven && D != 0 ? FormattaEuro(amountWriting(T * D).trimmed()) : QString();
    return true;
}

QString numeroProposto(Recordset& table, bool restartEachYear, const QDate& today)
{
    if (!table.MoveLast() || table.Eof())
        return QStringLiteral("1");
    const bool restart = restartEachYear && table.value(1).toDate().year() != today.year();
    const qint64 proposed = restart ? 1 : table.value(2).toLongLong() + 1;

    // The new document is dated today. When the last one in key order is of
    // a later year (or numbering restarted), the number may already belong
    // to a document of this year: the window would then load and overwrite
    // it. Take the number after the highest of this year instead.
    const QString dateText = today.toString(QStringLiteral("dd/MM/yyyy"));
    const QString key = buildKey({{QStringLiteral("TOLD-"), 10, dateText},
                                  {QStringLiteral("LOL"), 10, QString::number(proposed)}});
    if (key.isEmpty() || !table.Seek(QStringLiteral("="), key) || table.NoMatch())
        return QString::number(proposed);
    // Right-aligned numbers sort as numbers: the higher ones of the year
    // follow this one in key order.
    const QString year = key.left(4);
    qint64 highest = proposed;
    while (!table.Eof() && table.text(0).startsWith(year)) {
        highest = std::max(highest, table.value(2).toLongLong());
        if (!table.MoveNext())
            break;
    }
    return QString::number(highest + 1);
}

QString notaPrivacy(const QString& settingsFile)
{
    QString notes;
    const QString section = QStringLiteral("Generale");
    if (const auto p1 = LeggiIni(section, QStringLiteral("Privacy_1"), settingsFile))
        notes = *p1;
    if (const auto p2 = LeggiIni(section, QStringLiteral("Privacy_2"), settingsFile))
        notes += QLatin1Char(' ') + *p2;
    if (const auto p3 = LeggiIni(section, QStringLiteral("Privacy_3"), settingsFile))
        notes += QLatin1Char(' ') + *p3;
    return notes;
}
