#include "YearGlance.h"

#include "Client.h"
#include "CreditNotes.h"
#include "FeeAmounts.h"
#include "TableWalk.h"

#include <QHash>
#include <algorithm>

namespace {

constexpr int kTopClients = 10;

int bucketOf(int days)
{
    if (days <= 30)
        return 0;
    if (days <= 60)
        return 1;
    return days <= 90 ? 2 : 3;
}

} // namespace

Money YearGlance::cumulated(int month, bool previous) const
{
    const auto& months = previous ? previousFees : fees;
    Money sum;
    for (int m = 0; m < std::clamp(month, 0, 12); ++m)
        sum += months[std::size_t(m)];
    return sum;
}

YearGlance yearGlance(const QVector<FeeDocument>& documents, int year, const QDate& today)
{
    YearGlance g;
    g.year = year;
    const std::array<std::pair<int, int>, 4> ages{{{0, 30}, {31, 60}, {61, 90}, {91, -1}}};
    for (std::size_t i = 0; i < ages.size(); ++i) {
        g.unpaid[i].fromDays = ages[i].first;
        g.unpaid[i].toDays = ages[i].second;
    }
    QHash<QString, Money> byClient;
    QHash<QString, Money> credited; // by the reversed invoice's key
    QVector<const FeeDocument*> unpaid;
    for (const FeeDocument& d : documents) {
        const FeeAmounts counted = countedAmounts(d, FeeDocumentKind::Invoice);
        const int y = d.date.year();
        g.withholding[y] += counted.withholding;
        if (y == year || y == year - 1) {
            auto& month = (y == year ? g.fees : g.previousFees)[std::size_t(d.date.month() - 1)];
            month += counted.fee;
        }
        if (y == year) {
            ++g.documents;
            byClient[d.clientCode] += counted.fee;
        }
        if (d.isCreditNote())
            credited[d.linkedInvoice.stored()] +=
                FeeAmounts::of(d, FeeDocumentKind::Invoice).net().value_or(Money());
        else if (!d.paymentDate.isValid() && d.date.isValid() && d.date <= today)
            unpaid << &d;
    }
    for (const FeeDocument* d : std::as_const(unpaid)) {
        const Money due = FeeAmounts::of(*d, FeeDocumentKind::Invoice).net().value_or(Money()) -
                          credited.value(d->key.stored());
        if (due <= Money())
            continue;
        AgeBucket& bucket = g.unpaid[std::size_t(bucketOf(int(d->date.daysTo(today))))];
        ++bucket.count;
        bucket.amount += due;
        bucket.invoices << UnpaidInvoice{d->key, d->date, d->clientCode, due, {}};
    }
    for (AgeBucket& bucket : g.unpaid)
        std::sort(bucket.invoices.begin(), bucket.invoices.end(),
                  [](const UnpaidInvoice& a, const UnpaidInvoice& b) {
                      return a.key.stored() < b.key.stored();
                  });
    for (auto it = byClient.cbegin(); it != byClient.cend(); ++it)
        if (Money() < it.value())
            g.topClients << ClientFees{it.key(), it.value(), QString()};
    std::sort(g.topClients.begin(), g.topClients.end(),
              [](const ClientFees& a, const ClientFees& b) {
                  return b.fee < a.fee || (a.fee == b.fee && a.code < b.code);
              });
    if (g.topClients.size() > kTopClients)
        g.topClients.resize(kTopClients);
    return g;
}

std::optional<YearGlance> readYearGlance(Database& db, int year, const QDate& today, QString* error)
{
    // Every year is read: the withholding is shown for each, and an unpaid
    // invoice of any age counts.
    QVector<FeeDocument> documents;
    const bool ok = walkTable(
        db, Table::Fatture, QString(),
        [&documents](const QVariantList& row) {
            documents << FeeDocument::fromColumns(row);
            return true;
        },
        error);
    if (!ok)
        return std::nullopt;
    YearGlance glance = yearGlance(documents, year, today);
    const Clients clients(db);
    for (ClientFees& top : glance.topClients) {
        const std::optional<Client> client = clients.find(top.code, error);
        if (!client && !error->isEmpty())
            return std::nullopt;
        top.name = client ? client->name : QString();
    }
    QHash<QString, QString> names;
    for (AgeBucket& bucket : glance.unpaid)
        for (UnpaidInvoice& invoice : bucket.invoices) {
            if (!names.contains(invoice.clientCode)) {
                const std::optional<Client> client = clients.find(invoice.clientCode, error);
                if (!client && !error->isEmpty())
                    return std::nullopt;
                names.insert(invoice.clientCode,
                             client && !client->name.isEmpty() ? client->name : invoice.clientCode);
            }
            invoice.clientName = names.value(invoice.clientCode);
        }
    return glance;
}

QVector<int> withholdingYears(const YearGlance& glance)
{
    constexpr int kYears = 8;
    QVector<int> years;
    for (int y = glance.year - kYears + 1; y <= glance.year; ++y)
        if (!years.isEmpty() || y == glance.year || glance.withholding.contains(y))
            years << y;
    return years;
}

QString unpaidLine(const UnpaidInvoice& invoice, const QString& thousands, const QString& decimals)
{
    return QStringLiteral("%1/%2 del %3   %4   %5")
        .arg(invoice.key.number())
        .arg(invoice.key.year())
        .arg(invoice.date.toString(QStringLiteral("dd/MM/yyyy")), invoice.clientName,
             invoice.due.localeText(thousands, decimals));
}

QString ageLabel(const AgeBucket& bucket)
{
    if (bucket.toDays < 0)
        return QStringLiteral("oltre %1 giorni").arg(bucket.fromDays - 1);
    return QStringLiteral("%1-%2 giorni").arg(bucket.fromDays).arg(bucket.toDays);
}

QString shortMonthName(int month)
{
    static const char* const names[12] = {"Gen", "Feb", "Mar", "Apr", "Mag", "Giu",
                                          "Lug", "Ago", "Set", "Ott", "Nov", "Dic"};
    return month >= 1 && month <= 12 ? QString::fromLatin1(names[month - 1]) : QString();
}
