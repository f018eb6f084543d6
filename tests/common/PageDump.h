#pragma once

#include "PageRecord.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QtTest>

// A recorded page file, one line per drawing record, each text with the
// font state it is drawn in: what the golden dumps hold.
inline QStringList dumpPageFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {"no page file"};
    auto number = [](double value) { return QString::number(value, 'f', 2); };
    QString font = "?";
    double size = 0;
    bool bold = false, italic = false, underline = false;
    QStringList out;
    for (QByteArray raw : file.readAll().split('\n')) {
        const QStringList f = PageRecord::split(QString::fromUtf8(raw.trimmed()));
        auto n = [&f](int i) { return PageRecord::readNumber(f.value(i)).value_or(-1); };
        const QString style = QString("%1 %2%3%4%5")
                                  .arg(font, number(size), bold ? " B" : "", italic ? " I" : "",
                                       underline ? " U" : "");
        switch (f.value(0).toInt()) {
        case PageRecord::FontName:
            font = f.value(1);
            break;
        case PageRecord::FontSize:
            size = n(1);
            break;
        case PageRecord::FontBold:
            bold = n(1) != 0;
            break;
        case PageRecord::FontItalic:
            italic = n(1) != 0;
            break;
        case PageRecord::FontUnderline:
            underline = n(1) != 0;
            break;
        case PageRecord::Text:
        case PageRecord::TextRight:
        case PageRecord::TextCentred:
            // A width limit shows only where there is one.
            out << QString("%1 %2 %3%4 | %5 | %6")
                       .arg(f.value(0), number(n(1)), number(n(2)),
                            n(3) > 0 ? " max " + number(n(3)) : QString(), style,
                            PageRecord::unescapeText(f.value(4)));
            break;
        case PageRecord::TextStyled:
            out << QString("20 %1 %2 | %3 size %4 align %5 style %6 | %7")
                       .arg(number(n(1)), number(n(2)), font, number(n(4)), number(n(5)),
                            f.value(6).trimmed(), f.value(7));
            break;
        case PageRecord::HLine:
            out << QString("hline %1 %2-%3 width %4")
                       .arg(number(n(1)), number(n(2)), number(n(3)), number(n(4)));
            break;
        case PageRecord::FilledBox:
            out << QString("fill %1 %2 - %3 %4 colour %5")
                       .arg(number(n(1)), number(n(2)), number(n(3)), number(n(4)))
                       .arg(qint64(n(5)), 6, 16, QChar('0'));
            break;
        case PageRecord::ColouredLine:
            out << QString("cline %1 %2 - %3 %4 width %5 colour %6")
                       .arg(number(n(1)), number(n(2)), number(n(3)), number(n(4)), number(n(5)))
                       .arg(qint64(n(6)), 6, 16, QChar('0'));
            break;
        case PageRecord::Image:
            out << QString("image %1 %2 %3 %4 %5")
                       .arg(number(n(1)), number(n(2)), number(n(3)), number(n(4)),
                            QFileInfo(f.value(5)).fileName());
            break;
        default:
            break;
        }
    }
    return out;
}

// Compares with the golden file at path, line by line;
// FALMIDE_UPDATE_GOLDEN=1 rewrites it instead.
inline void compareWithGolden(const QStringList& actual, const QString& path)
{
    QFile file(path);
    if (qEnvironmentVariableIntValue("FALMIDE_UPDATE_GOLDEN")) {
        QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
        file.write(actual.join('\n').toUtf8() + '\n');
        return;
    }
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(path));
    const QStringList expected = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
    for (int i = 0; i < std::max(expected.size(), actual.size()); ++i)
        QVERIFY2(expected.value(i) == actual.value(i),
                 qPrintable(QString("%1 line %2:\n  expected %3\n  actual   %4")
                                .arg(path)
                                .arg(i + 1)
                                .arg(expected.value(i), actual.value(i))));
}
