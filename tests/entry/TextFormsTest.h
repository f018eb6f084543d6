#pragma once

#include <QObject>

class TextFormsTest : public QObject
{
    Q_OBJECT
private slots:
    void numberForm_data();
    void numberForm();
    void plainAndLocaleForms();
    void keyFiltering_data();
    void keyFiltering();
    void pastedText();
    void typedLengthLimit();
    void dates_data();
    void dates();
    void codeAndDateValidation();
    void valuesBeyondTheirColumn_data();
    void valuesBeyondTheirColumn();
    void windowPlacement();
};
