#pragma once

#include "PrinterSystem.h"

#include <QDialog>
#include <QList>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// "Stampa": the printer and the range of pages to print. The range goes to
// the engine's FirstPage and LastPage; leaving the window any way other
// than its button leaves LastPage at 0, so nothing is printed.
class FrmStampa : public QDialog
{
    Q_OBJECT
public:
    explicit FrmStampa(QWidget* parent = nullptr,
                       PrinterSystem& printers = PrinterSystem::current());

    void Form_Load();
    void Command1_Click();
    void List1_DblClick();

    QListWidget* List1 = nullptr;
    QLineEdit* Dati0 = nullptr;
    QLineEdit* Dati1 = nullptr;
    QPushButton* Command1 = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applySelection();
    void showPrinterDetails();

    PrinterSystem& m_printers;
    QList<PrinterEntry> m_entries;
    QLabel* m_driver = nullptr;
    QLabel* m_port = nullptr;
};
