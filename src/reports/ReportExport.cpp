#include "ReportExport.h"

namespace {

QString reportName(PeriodReport report)
{
    return QString::fromUtf8(kindOf(report).name);
}

QString fileSafe(const QString& text)
{
    QString safe;
    for (const QChar c : text.trimmed())
        safe += (c.isLetterOrNumber() && c.unicode() < 128) || c == QLatin1Char('-')
                    ? c
                    : QLatin1Char('_');
    return safe;
}

} // namespace

QString reportExportPath(const QString& archiveFolder, PeriodReport report,
                         const ParametriLista& selection)
{
    if (!selection.first.isValid() || !selection.last.isValid())
        return {};
    QString name = reportName(report) + QLatin1Char('_') + selection.first.toString(Qt::ISODate) +
                   QLatin1Char('_') + selection.last.toString(Qt::ISODate);
    if (kindOf(report).byClient) {
        if (!selection.clientCode.trimmed().isEmpty())
            name += QLatin1Char('_') + fileSafe(selection.clientCode);
        if (selection.unpaidOnly)
            name += QStringLiteral("_inevase");
    }
    return archiveFolder + QStringLiteral("/Stampe/") + name + QStringLiteral(".pdf");
}

QString reportExportTitle(PeriodReport report, const ParametriLista& selection)
{
    const QString form = QStringLiteral("dd/MM/yyyy");
    return reportName(report) + QStringLiteral(" dal ") + selection.first.toString(form) +
           QStringLiteral(" al ") + selection.last.toString(form);
}
