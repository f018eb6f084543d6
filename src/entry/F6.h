#pragma once

#include "FieldDeclaration.h"
#include "WindowPlacement.h"

#include <QDialog>
#include <optional>

class QLabel;
class QListWidget;
class QPushButton;
struct AppContext;

// The list of the codes of a table, opened from a code field with F6 or a
// double-click: `field` is the field's declaration, `besideField` the
// field's top right corner on the screen, where the list opens.
class F6 : public QDialog
{
    Q_OBJECT
public:
    F6(AppContext& context, const FieldDeclaration& field, TwipsPoint besideField,
       QWidget* parent = nullptr);

    void Nuovo_Click();
    void choose();
    void fillList();
    // The code chosen; "" when the list was closed without a choice.
    QString chosenCode() const { return m_chosenCode; }

    QListWidget* Lista() const { return m_lista; }
    QPushButton* Nuovo() const { return m_nuovo; }

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int widthForWholeLines() const;

    AppContext& m_context;
    QListWidget* m_lista = nullptr;
    QLabel* m_label = nullptr;
    QPushButton* m_nuovo = nullptr;
    std::optional<Table> m_table;
    int m_descriptionField = 0;
    QString m_chosenCode;
    int m_codeWidth = 0;
    bool m_filled = false;
};
