// Time of the printable outputs: one PDF card, a 30-name PDF (writing alone
// and painting too), the contact sheet of 30 names, an 8x enlarged picture.
#include "bench_names.h"
#include "output/card_pdf.h"
#include "output/contact_sheet.h"
#include "output/picture_file.h"
#include "output/upscale.h"
#include "session/name_pictures.h"

#include <QTemporaryDir>
#include <QThread>

#include <benchmark/benchmark.h>

namespace painter {
namespace {

QStringList thirtyNames() {
    QStringList names;
    for (int k = 0; k < 30; ++k) names << QString::fromLatin1(bench::kNameForMode[1 + k % 18]) + QStringLiteral(" ml");
    return names;
}

// Painted once, shared by the benchmarks that time only the writing.
const QList<QImage>& thirtyPictures() {
    static const QList<QImage> pictures = [] {
        QList<QImage> p;
        NamePictures painter(thirtyNames(), QThread::idealThreadCount());
        for (int k = 0; k < painter.count(); ++k) p << painter.take(k);
        return p;
    }();
    return pictures;
}

void BM_CardPdfFile(benchmark::State& state) {
    QTemporaryDir dir;
    const QImage picture = thirtyPictures().first();
    for (auto _ : state)
        benchmark::DoNotOptimize(
            writeCardPdfFile(dir.filePath("card.pdf"), {"ana", {}, 1, [&](int) { return picture; }}));
}
BENCHMARK(BM_CardPdfFile)->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_CardPdfBytes(benchmark::State& state) {
    const QImage picture = thirtyPictures().first();
    for (auto _ : state) benchmark::DoNotOptimize(cardPdfBytes(picture, "ana"));
}
BENCHMARK(BM_CardPdfBytes)->Unit(benchmark::kMillisecond)->Iterations(20);

// Arg: cards per page.
void BM_ThirtyCardPdfWriteOnly(benchmark::State& state) {
    QTemporaryDir dir;
    const QList<QImage>& pictures = thirtyPictures();
    const CardLayout layout{Paper::A4, static_cast<int>(state.range(0))};
    for (auto _ : state)
        benchmark::DoNotOptimize(
            writeCardPdfFile(dir.filePath("cards.pdf"), {"razred", layout, 30, [&](int k) { return pictures[k]; }}));
}
BENCHMARK(BM_ThirtyCardPdfWriteOnly)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond)->Iterations(5);

// What a user waits for: 30 names painted on every core and written as one PDF.
void BM_ThirtyNamePdf(benchmark::State& state) {
    QTemporaryDir dir;
    const QStringList names = thirtyNames();
    for (auto _ : state) {
        NamePictures pictures(names, QThread::idealThreadCount());
        benchmark::DoNotOptimize(
            writeCardPdfFile(dir.filePath("cards.pdf"), {"razred", {}, 30, [&](int k) { return pictures.take(k); }}));
    }
}
BENCHMARK(BM_ThirtyNamePdf)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

void BM_ThirtyNameSheet(benchmark::State& state) {
    QTemporaryDir dir;
    const QList<QImage>& pictures = thirtyPictures();
    for (auto _ : state) {
        QList<SheetEntry> entries;
        for (const QImage& p : pictures) entries << SheetEntry{QStringLiteral("ana novak"), sheetThumbnail(p)};
        benchmark::DoNotOptimize(writeContactSheet(dir.filePath("sheet.png"), entries, "razred"));
    }
}
BENCHMARK(BM_ThirtyNameSheet)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_Upscale8(benchmark::State& state) {
    const QImage picture = thirtyPictures().first();
    for (auto _ : state) benchmark::DoNotOptimize(upscaleImage(picture, 8));
}
BENCHMARK(BM_Upscale8)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace
}  // namespace painter
