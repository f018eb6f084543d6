#pragma once

#include "ArchiveWindow.h"

// The supplier archive.
class FArcFOR : public ArchiveWindow
{
    Q_OBJECT
public:
    FArcFOR(AppContext& context, QWidget* parent = nullptr);
    static const FieldTable& fields();

protected:
    // Not while documents use the code.
    bool mayDelete() override;
};
