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
};
