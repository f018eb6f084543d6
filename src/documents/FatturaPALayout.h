#pragma once

#include "FatturaPAContent.h"

#include <QString>

class PageRecorder;

// The pages of an electronic invoice as a reader wants it: the sending
// data, the seller and the buyer side by side, then for each document of
// the file its data, its lines (long descriptions wrapped), the VAT
// summaries, the payment and the attachments' names. Many lines flow onto
// more pages, each headed and numbered "Pagina 2 di 3"; a table cut by a
// page repeats its headings. Recorded through `recorder`, which must be
// recording.
void layoutFatturaPA(PageRecorder& recorder, const FatturaPAContent& content);

// Where "Esporta PDF ..." writes the view of a file: the folder Stampe of
// the archive folder (ArchiveFolder.h), the file's name with .pdf for .xml or .xml.p7m
// ("Stampe/IT01234567890_00001.pdf").
QString fatturaPAViewPdfPath(const QString& archiveFolder, const QString& fileName);
