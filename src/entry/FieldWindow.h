#pragma once

#include "FieldSnapshot.h"
#include "FieldSpec.h"
#include "RecordRules.h"

#include <QDialog>
#include <QVector>

class QLabel;
class QGridLayout;
struct AppContext;

// An input window made of declared fields: it builds the controls from the
// window's field table and drives them as every input window of the program
// does. Enter moves on, F6 or a double-click lists the codes of a code field,
// F3 lists the archives, Esc closes; typed and pasted text is filtered by the
// field's type, and each field is checked when the focus leaves it.
class FieldWindow : public QDialog, public FieldAccess
{
    Q_OBJECT
public:
    FieldWindow(AppContext& context, QWidget* parent);

    // FieldAccess
    int fieldCount() const override { return int(m_specs.size()); }
    const FieldSpec& fieldSpec(int index) const override { return m_specs.at(std::size_t(index)); }
    QString text(int index) const override;
    void setText(int index, const QString& text) override;

    QWidget* Dati(int index) const { return m_dati.value(index); }
    QLabel* DesLbl(int index) const { return m_desLbl.value(index); }
    // Renames a field on screen and in the messages that name it.
    void setCaption(int index, const QString& caption);
    QLabel* Ombra(int index) const { return m_ombra.value(index); }

    // The window's close button, also run by Esc and the window's own close
    // button: asks first when something typed is not stored.
    virtual void BtUscita_Click();
    // Whether the fields show something that is not stored.
    virtual bool hasUnsavedChanges() const;

protected:
    // Builds the field controls into a grid, rows in TabIndex order, and sets
    // the focus order. Returns the grid so the window can add to it.
    QGridLayout* buildFields(const FieldTable& fields, QWidget* container);
    // A line of the window's own after the field with this TabIndex.
    void addRowAfter(int tabIndex, const QString& caption, QWidget* widget);

    virtual void Dati_GotFocus(int index);
    virtual void Dati_KeyUp(int index, int key);
    virtual void Dati_DblClick(int index);
    virtual void Dati_LostFocus(int index);
    // Called after a key field was left with a valid text; false when the
    // field keeps the focus and leaving it goes no further.
    virtual bool keyFieldLeft(int index)
    {
        Q_UNUSED(index);
        return true;
    }
    // Called after a valid field was checked (and, for a key field, looked
    // up), before it is rewritten in display form; `changed` tells whether
    // its text differs from the text it had when it was entered.
    virtual void fieldChecked(int index, bool changed)
    {
        Q_UNUSED(index);
        Q_UNUSED(changed);
    }
    // Called last, after the field took its display form.
    virtual void fieldLeft(int index) { Q_UNUSED(index); }

    // Why the field may not be changed now; empty when it may. applyLocks()
    // makes the fields that may not read-only; typing into one, or asking
    // for its code list, is refused with the reason.
    virtual QString lockReason(int index) const
    {
        Q_UNUSED(index);
        return {};
    }
    void applyLocks();

    // Document windows edit euro amounts in plain form and show them grouped.
    virtual bool formatsEuro() const { return false; }
    int UltimaChiave = -1;

    void focusField(int index);
    // Gives the focus back to a field as it is being left, with a warning
    // when there is one to show.
    void keepFocus(int index, const QString& message = QString());
    // The field that has the focus, or -1.
    int focusedField() const;
    // Finds the descriptions of codes in the window's database.
    DescriptionLookup descriptionLookup() const;

    // A window that edits a record calls this once: the fields' texts are
    // remembered when it is shown, and rememberShownTexts() again whenever
    // they match what is stored.
    void trackChanges() { m_tracksChanges = true; }
    virtual void rememberShownTexts();
    const FieldSnapshot& shownTexts() const { return m_snapshot; }
    // Asks "Salvare le modifiche?" when something is not stored: true when
    // the window may go on (the record was saved, or the edit given up).
    bool confirmChanges();
    // For work that must see what the window shows (a file written from the
    // stored record): when something is not stored, asks `question` ("Sì"
    // saves, "No" gives the work up). True when the work may go on.
    bool saveFirst(const QString& question);
    // Whether the screen shows anything but the stored record: what
    // saveFirst() asks about.
    virtual bool showsUnstoredData() const { return hasUnsavedChanges(); }
    // Saves what the window shows for confirmChanges(); false when it was
    // not saved and the reason has been shown.
    virtual bool saveChanges() { return true; }
    // Closes without asking.
    void closeWindow();
    void showEvent(QShowEvent* event) override;
    void reject() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

    AppContext& m_context;

private:
    bool filterKey(int index, QKeyEvent* event);
    // A key that would change a locked field: refused with the reason.
    bool refusedByLock(int index, QKeyEvent* event);
    void openCodeList(int index);
    void openArchiveList();

    FieldTable m_specs;
    QVector<QWidget*> m_dati;
    QVector<QLabel*> m_desLbl;
    QVector<QLabel*> m_ombra;
    QVector<QString> m_entryText;
    FieldSnapshot m_snapshot;
    bool m_tracksChanges = false;
    std::vector<std::pair<int, std::pair<QString, QWidget*>>> m_extraRows;
    bool m_closing = false;
    int m_refocus = -1;       // a field refused on leaving gets the focus back
    QString m_pendingMessage; // what leaving it will say, once the focus settles
};
