#include "XlsxExport.h"

#include "StagedFile.h"

#include <locale.h>
#include <xlsxwriter.h>

namespace {

// Widths in characters: dates and amounts fit, texts get room to be read.
double columnWidth(const ExportCell& sample)
{
    if (std::holds_alternative<QDate>(sample))
        return 11;
    if (std::holds_alternative<Money>(sample))
        return 14;
    if (std::holds_alternative<qint64>(sample))
        return 8;
    return 28;
}

// libxlsxwriter prints numbers with the C library, which follows the
// program's locale: under an Italian one a width of 8.43 would be written
// "8,43" and the file would not open. The C numbers hold on this thread
// while the file is written.
class CNumbers
{
public:
    CNumbers() : m_c(newlocale(LC_NUMERIC_MASK, "C", locale_t(nullptr)))
    {
        if (m_c)
            m_previous = uselocale(m_c);
    }
    ~CNumbers()
    {
        if (m_c) {
            uselocale(m_previous);
            freelocale(m_c);
        }
    }
    CNumbers(const CNumbers&) = delete;
    CNumbers& operator=(const CNumbers&) = delete;

private:
    locale_t m_c;
    locale_t m_previous = nullptr;
};

} // namespace

bool writeXlsx(const QVector<ExportSheet>& sheets, const QString& path, QString* error)
{
    StagedFile staged(path);
    if (!staged.create(error))
        return false;
    const QByteArray file = staged.path().toLocal8Bit();
    const CNumbers cNumbers;
    lxw_workbook* book = workbook_new(file.constData());
    if (!book) {
        *error = QStringLiteral("Impossibile scrivere il file %1").arg(path);
        return false;
    }
    lxw_format* header = workbook_add_format(book);
    format_set_bold(header);
    lxw_format* euro = workbook_add_format(book);
    format_set_num_format(euro, "#,##0.00 \"€\";-#,##0.00 \"€\"");
    lxw_format* date = workbook_add_format(book);
    format_set_num_format(date, "dd/mm/yyyy");

    for (const ExportSheet& sheet : sheets) {
        const QByteArray name = sheet.name.left(31).toUtf8();
        lxw_worksheet* ws = workbook_add_worksheet(book, name.constData());
        for (int c = 0; c < sheet.headers.size(); ++c)
            worksheet_write_string(ws, 0, lxw_col_t(c), sheet.headers[c].toUtf8().constData(),
                                   header);
        worksheet_freeze_panes(ws, 1, 0);
        for (int r = 0; r < sheet.rows.size(); ++r) {
            const auto row = lxw_row_t(r + 1);
            for (int c = 0; c < sheet.rows[r].size(); ++c) {
                const ExportCell& cell = sheet.rows[r][c];
                const auto col = lxw_col_t(c);
                if (const auto* text = std::get_if<QString>(&cell)) {
                    worksheet_write_string(ws, row, col, text->toUtf8().constData(), nullptr);
                } else if (const auto* amount = std::get_if<Money>(&cell)) {
                    // Cents are exact in a double up to 2^53: the spreadsheet
                    // shows the amount to the cent as stored.
                    worksheet_write_number(ws, row, col, double(*amount->cents()) / 100.0, euro);
                } else if (const auto* day = std::get_if<QDate>(&cell)) {
                    if (day->isValid()) {
                        lxw_datetime when{day->year(), day->month(), day->day(), 0, 0, 0.0};
                        worksheet_write_datetime(ws, row, col, &when, date);
                    }
                } else if (const auto* number = std::get_if<qint64>(&cell)) {
                    worksheet_write_number(ws, row, col, double(*number), nullptr);
                }
            }
        }
        for (int c = 0; c < sheet.headers.size(); ++c) {
            const ExportCell sample =
                sheet.rows.isEmpty() ? ExportCell() : sheet.rows.first().value(c);
            worksheet_set_column(ws, lxw_col_t(c), lxw_col_t(c), columnWidth(sample), nullptr);
        }
    }
    if (const lxw_error result = workbook_close(book); result != LXW_NO_ERROR) {
        *error = QStringLiteral("Impossibile scrivere il file %1: %2")
                     .arg(path, QString::fromUtf8(lxw_strerror(result)));
        return false;
    }
    return staged.commit(error);
}
