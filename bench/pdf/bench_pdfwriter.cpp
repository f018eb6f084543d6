// Writes 1000 A4 pages of 80 lines of 100 characters (Arial 8 points, amounts
// right-aligned) with PdfWriter, QPdfWriter and libharu, and reports the time
// and the file size of each.
#include "PdfWriter.h"
#include "WriterDocument.h"

#include <QFont>
#include <QGuiApplication>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <benchmark/benchmark.h>
#include <hpdf.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using writerdoc::kFontSize;
using writerdoc::kLeft;
using writerdoc::kLineHeight;
using writerdoc::kLines;
using writerdoc::kPages;
using writerdoc::kRight;
using writerdoc::kTop;
using writerdoc::Line;

const std::vector<Line>& document()
{
    return writerdoc::lines();
}

std::string outputPath(const char* name)
{
    const auto folder = std::filesystem::temp_directory_path() / "falmide-bench";
    std::filesystem::create_directories(folder);
    return (folder / name).string();
}

void report(benchmark::State& state, const std::string& path, double seconds)
{
    state.counters["seconds"] = benchmark::Counter(seconds, benchmark::Counter::kAvgIterations);
    state.counters["file_bytes"] = static_cast<double>(std::filesystem::file_size(path));
}

template <typename Write>
void measure(benchmark::State& state, const std::string& path, Write write)
{
    document();
    double total = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        write(path);
        total += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    report(state, path, total);
}

void writeWithPdfWriter(const std::string& path)
{
    const std::vector<Line>& lines = document();
    PdfWriter writer;
    std::string name = path;
    writer.InitPDFFile(name);
    writer.setScaleMode(0);
    std::string face = "Arial";
    writer.LoadFont("Arial", face, 0);
    for (int page = 0; page < kPages; ++page) {
        writer.BeginPage();
        for (int line = 0; line < kLines; ++line) {
            const Line& text = lines[page * kLines + line];
            const float y = kTop - line * kLineHeight;
            float x = kLeft;
            writer.DrawText(x, y, text.description, "Arial", kFontSize, 0, 0);
            x = kRight;
            writer.DrawText(x, y, text.amount, "Arial", kFontSize, 1, 0);
        }
        writer.EndPage();
    }
    writer.ClosePDFFile();
}

void writeWithLibharu(const std::string& path)
{
    const std::vector<Line>& lines = document();
    HPDF_Doc pdf = HPDF_New(nullptr, nullptr);
    HPDF_SetCompressionMode(pdf, HPDF_COMP_NONE);
    // Helvetica is the built-in face with Arial's metrics.
    HPDF_Font font = HPDF_GetFont(pdf, "Helvetica", "WinAnsiEncoding");
    for (int page = 0; page < kPages; ++page) {
        HPDF_Page pdfPage = HPDF_AddPage(pdf);
        HPDF_Page_SetSize(pdfPage, HPDF_PAGE_SIZE_A4, HPDF_PAGE_PORTRAIT);
        HPDF_Page_BeginText(pdfPage);
        HPDF_Page_SetFontAndSize(pdfPage, font, kFontSize);
        for (int line = 0; line < kLines; ++line) {
            const Line& text = lines[page * kLines + line];
            const float y = kTop - line * kLineHeight;
            HPDF_Page_TextOut(pdfPage, kLeft, y, text.description.c_str());
            const float width = HPDF_Page_TextWidth(pdfPage, text.amount.c_str());
            HPDF_Page_TextOut(pdfPage, kRight - width, y, text.amount.c_str());
        }
        HPDF_Page_EndText(pdfPage);
    }
    HPDF_SaveToFile(pdf, path.c_str());
    HPDF_Free(pdf);
}

void writeWithQPdfWriter(const std::string& path)
{
    static std::vector<QString> descriptions;
    static std::vector<QString> amounts;
    if (descriptions.empty()) {
        for (const Line& line : document()) {
            descriptions.push_back(QString::fromStdString(line.description));
            amounts.push_back(QString::fromStdString(line.amount));
        }
    }
    QPdfWriter writer(QString::fromStdString(path));
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setResolution(72);
    QPainter painter(&writer);
    QFont font("Arial");
    font.setPointSizeF(kFontSize);
    painter.setFont(font);
    const qreal pageHeight = writer.height();
    for (int page = 0; page < kPages; ++page) {
        if (page > 0)
            writer.newPage();
        for (int line = 0; line < kLines; ++line) {
            const int index = page * kLines + line;
            // Qt's y axis points down; the baseline sits at the same height as in the others.
            const qreal baseline = pageHeight - (kTop - line * kLineHeight);
            painter.drawText(QPointF(kLeft, baseline), descriptions[index]);
            const QRectF box(kLeft, baseline - 20, kRight - kLeft, 20);
            painter.drawText(box, Qt::AlignRight | Qt::AlignBottom, amounts[index]);
        }
    }
    painter.end();
}

void BM_PdfWriter(benchmark::State& state)
{
    measure(state, outputPath("pdfwriter.pdf"), writeWithPdfWriter);
}

void BM_Libharu(benchmark::State& state)
{
    measure(state, outputPath("libharu.pdf"), writeWithLibharu);
}

void BM_QPdfWriter(benchmark::State& state)
{
    measure(state, outputPath("qpdfwriter.pdf"), writeWithQPdfWriter);
}

} // namespace

BENCHMARK(BM_PdfWriter)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Libharu)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_QPdfWriter)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
