#pragma once

#include "ArchiveWindow.h"

// The purchase window: a supplier's document with its taxable amount, VAT
// rate and deductibility; the VAT and deductible amounts are shown beside the
// fields and not stored.
class FArcMOV : public ArchiveWindow
{
    Q_OBJECT
public:
    FArcMOV(AppContext& context, QWidget* parent = nullptr);

protected:
    bool formatsEuro() const override { return true; }
    void recordShown() override;
    void fieldLeft(int index) override;
    bool proposeFreeKey(const QString& taken) override;

private:
    void compute(int index);
};
