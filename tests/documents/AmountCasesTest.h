#pragma once

#include <QObject>

// Twenty thousand generated invoices and pro-formas, each computed as the
// document window computes it, then stored and read as the page layouts, the
// electronic invoice and the period reports read it: every amount each of
// them shows is checked against a golden file, so that moving the
// computation changes none of them.
class AmountCasesTest : public QObject
{
    Q_OBJECT
private slots:
    void everyUserShowsTheGoldenAmounts();
};
