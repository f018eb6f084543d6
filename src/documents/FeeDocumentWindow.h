#pragma once

#include "ArchiveWindow.h"
#include "Schema.h"
#include "Settings.h"

#include <optional>

class QLabel;

// What the invoice and pro-forma windows share: a fee with three rates whose
// amounts are computed as fields are left, a net total line, the proposed
// number and date, and the fee caption taken from the settings.
class FeeDocumentWindow : public ArchiveWindow
{
    Q_OBJECT
public:
    FeeDocumentWindow(AppContext& context, QWidget* parent);

    QLabel* Totale() const { return m_totale; }

protected:
    // Lays the window out, opens its table and proposes a number and date.
    bool loadDocument(FeeDocumentKind kind, RecordGrid recordGrid);

    bool formatsEuro() const override { return true; }
    // A record looked up shows its computed amounts and total at once.
    void recordShown() override;
    void recordDeleted() override;
    SaveResult storeRecord(SaveMode mode, qint64* version, QString* why) override;
    DeleteResult removeRecord(qint64 version, QString* why) override;
    bool proposeFreeKey(const QString& taken) override;
    void fieldChecked(int index, bool changed) override;
    void fieldLeft(int index) override;
    void compute(int index);

private:
    // A new invoice's stamp duty follows its amounts until it is typed.
    void proposeStampDuty();

    QLabel* m_totale = nullptr;
    FeeDocumentKind m_kind = FeeDocumentKind::Invoice;
    // The stamp duty shown is the user's or the archive's: left as it is.
    bool m_stampSettled = false;
    // A stored invoice is computed again under the profile it was saved
    // with, whatever the settings say now; nothing for a new one.
    std::optional<FeeProfile> m_storedProfile;
};
