#include "PeriodFields.h"

#include "Clock.h"
#include "KeyText.h"
#include "MessageBox.h"

#include <QFormLayout>
#include <QLineEdit>

PeriodFields::PeriodFields(QWidget* window, QFormLayout* form) : m_window(window)
{
    const QDate today = Clock::today();
    m_first =
        new QLineEdit(QDate(today.year(), 1, 1).toString(QStringLiteral("dd/MM/yyyy")), window);
    m_first->setObjectName(QStringLiteral("First"));
    m_last = new QLineEdit(today.toString(QStringLiteral("dd/MM/yyyy")), window);
    m_last->setObjectName(QStringLiteral("Last"));
    form->addRow(QStringLiteral("&Dal"), m_first);
    form->addRow(QStringLiteral("A&l"), m_last);
}

std::optional<std::pair<QDate, QDate>> PeriodFields::period() const
{
    const QDate first = parseItalianDate(m_first->text());
    const QDate last = parseItalianDate(m_last->text());
    if (!first.isValid() || !last.isValid() || first > last) {
        MessageBox::warning(m_window, QStringLiteral("Periodo non valido: indicare due date "
                                                     "(gg/mm/aaaa), la prima non dopo la seconda"));
        (first.isValid() ? m_last : m_first)->setFocus();
        return std::nullopt;
    }
    return std::pair(first, last);
}
