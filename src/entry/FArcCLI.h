#pragma once

#include "ArchiveWindow.h"

// The client archive.
class FArcCLI : public ArchiveWindow
{
    Q_OBJECT
public:
    FArcCLI(AppContext& context, QWidget* parent = nullptr);

protected:
    // Not while documents use the code.
    bool mayDelete() override;
    // The record the fields show, saved and deleted as a Client.
    SaveResult storeRecord(SaveMode mode, qint64* version, QString* why) override;
    DeleteResult removeRecord(qint64 version, QString* why) override;
    // A foreign client's tax codes are taken as typed.
    QString taxCountry() const override;
};
