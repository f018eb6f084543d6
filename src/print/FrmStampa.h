#pragma once

#include "PageRange.h"
#include "PrinterSystem.h"

#include <QDialog>
#include <QList>
#include <optional>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// "Stampa": the printer and the range of pages to print, starting from the
// range proposed. Leaving the window any way other than its button chooses
// no range, so nothing is printed.
class FrmStampa : public QDialog
{
    Q_OBJECT
public:
    explicit FrmStampa(PageRange proposed, QWidget* parent = nullptr,
                       PrinterSystem& printers = PrinterSystem::current());

    // The range confirmed with the button; nothing when the window was
    // left otherwise.
    std::optional<PageRange> chosenRange() const { return m_chosen; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Load();
    void Command1_Click();
    void List1_DblClick();
    void applySelection();
    void showPrinterDetails();

    QListWidget* m_list1 = nullptr;
    QLineEdit* m_dati0 = nullptr;
    QLineEdit* m_dati1 = nullptr;
    QPushButton* m_command1 = nullptr;

    PrinterSystem& m_printers;
    PageRange m_proposed;
    std::optional<PageRange> m_chosen;
    QList<PrinterEntry> m_entries;
    QLabel* m_driver = nullptr;
    QLabel* m_port = nullptr;
};
