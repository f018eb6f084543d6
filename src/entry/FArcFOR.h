#pragma once

#include "ArchiveWindow.h"

// The supplier archive.
class FArcFOR : public ArchiveWindow
{
    Q_OBJECT
public:
    FArcFOR(AppContext& context, QWidget* parent = nullptr);

protected:
    // Not while documents use the code.
    bool mayDelete() override;
    // The record the fields show, saved and deleted as a Supplier.
    SaveResult storeRecord(SaveMode mode, qint64* version, QString* why) override;
    DeleteResult removeRecord(qint64 version, QString* why) override;
};
