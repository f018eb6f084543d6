#pragma once

#include <QDate>
#include <optional>
#include <utility>

class QFormLayout;
class QLineEdit;
class QWidget;

// The "Dal" and "Al" fields of a window that works on a period of invoices:
// the year so far unless typed otherwise.
class PeriodFields
{
public:
    // Makes the two fields (named "First" and "Last") and adds them to `form`.
    PeriodFields(QWidget* window, QFormLayout* form);

    // The period typed; nothing, after saying why and with the focus on the
    // wrong field, when a date is not one or the first is after the second.
    std::optional<std::pair<QDate, QDate>> period() const;

private:
    QWidget* m_window;
    QLineEdit* m_first;
    QLineEdit* m_last;
};
