// Print-ready outputs: the page geometry of cards, PDF cards that carry the
// picture's own pixels, enlarged pictures, contact sheets, and their failures.
#include "output/card_layout.h"
#include "output/card_pdf.h"
#include "output/contact_sheet.h"
#include "output/picture_file.h"
#include "output/sheet_layout.h"
#include "output/upscale.h"
#include "pdf_tools.h"
#include "session/first_picture.h"
#include "test_support.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <csignal>
#include <memory>

namespace painter {
namespace {

using testing::pdfFonts;
using testing::pdfImageList;
using testing::pdfImages;
using testing::pdfInfo;
using testing::pdfPageImage;
using testing::pdfText;
using testing::setImmutable;

// ---------------------------------------------------------------- geometry

struct PageCase {
    const char* label;
    CardLayout layout;
    QSizeF page;  // millimetres, as printed
    int marks;    // cut marks
};

void PrintTo(const PageCase& c, std::ostream* os) { *os << c.label; }

class CardPage : public ::testing::TestWithParam<PageCase> {};

TEST_P(CardPage, CellsTileThePagePicturesFitTheMarginAndMarksStayClear) {
    const PageCase& c = GetParam();
    const PageGeometry g = pageGeometry(c.layout);
    EXPECT_NEAR(g.pageMm.width(), c.page.width(), 1e-9);
    EXPECT_NEAR(g.pageMm.height(), c.page.height(), 1e-9);
    ASSERT_EQ(g.cells.size(), c.layout.cardsPerPage);
    ASSERT_EQ(g.pictures.size(), g.cells.size());

    double area = 0;
    const QRectF page(QPointF(), g.pageMm);
    for (int k = 0; k < g.cells.size(); ++k) {
        const QRectF cell = g.cells[k], pic = g.pictures[k];
        area += cell.width() * cell.height();
        EXPECT_TRUE(page.contains(cell.adjusted(1e-9, 1e-9, -1e-9, -1e-9))) << k;
        // The picture keeps its proportions, is centred and, at the largest
        // size, meets the 5 mm margin on the sides that limit it.
        EXPECT_NEAR(pic.width() / pic.height(), 700.0 / 525.0, 1e-9);
        EXPECT_NEAR(pic.center().x(), cell.center().x(), 1e-9);
        EXPECT_NEAR(pic.center().y(), cell.center().y(), 1e-9);
        const double sideGap = pic.left() - cell.left(), topGap = pic.top() - cell.top();
        EXPECT_GE(sideGap, kCardMarginMm - 1e-9);
        EXPECT_GE(topGap, kCardMarginMm - 1e-9);
        EXPECT_NEAR(std::min(sideGap, topGap), kCardMarginMm, 1e-9);
        for (int o = 0; o < k; ++o) EXPECT_FALSE(cell.intersects(g.cells[o].adjusted(1e-9, 1e-9, -1e-9, -1e-9)));
    }
    EXPECT_NEAR(area, g.pageMm.width() * g.pageMm.height(), 1e-6) << "the cells cover the page";

    ASSERT_EQ(g.cutMarks.size(), c.marks);
    for (const CutMark& mark : g.cutMarks) {
        // On the common edge of the two cells it separates, touching no picture.
        const QRectF a = g.cells.value(mark.cells[0]), b = g.cells.value(mark.cells[1]);
        const QRectF edge = a.intersected(b.adjusted(-1e-9, -1e-9, 1e-9, 1e-9));
        ASSERT_TRUE(edge.width() < 1e-6 || edge.height() < 1e-6) << "cells " << mark.cells[0] << "," << mark.cells[1];
        // (A box of no width contains nothing, so every box is widened a hair.)
        const auto holds = [&mark](const QRectF& box) {
            const QRectF wider = box.adjusted(-1e-6, -1e-6, 1e-6, 1e-6);
            return wider.contains(mark.line.p1()) && wider.contains(mark.line.p2());
        };
        const QRectF markBox = QRectF(mark.line.p1(), mark.line.p2()).normalized();
        EXPECT_TRUE(holds(edge)) << mark.line.x1() << "," << mark.line.y1();
        EXPECT_NEAR(mark.line.length(), kCutMarkMm, 1e-9);
        // Where a printer reaches: at least 5 mm inside every page edge.
        EXPECT_TRUE(holds(page.adjusted(kCutMarkInsetMm, kCutMarkInsetMm, -kCutMarkInsetMm, -kCutMarkInsetMm)))
            << mark.line.x1() << "," << mark.line.y1();
        for (const QRectF& pic : g.pictures) EXPECT_FALSE(pic.intersects(markBox.adjusted(-0.1, -0.1, 0.1, 0.1)));
    }
}

INSTANTIATE_TEST_SUITE_P(Layouts, CardPage,
                         ::testing::Values(PageCase{"A6", {Paper::A6, 1}, {148, 105}, 0},
                                           PageCase{"A5", {Paper::A5, 1}, {210, 148}, 0},
                                           PageCase{"A4", {Paper::A4, 1}, {297, 210}, 0},
                                           PageCase{"Letter", {Paper::Letter, 1}, {279.4, 215.9}, 0},
                                           // Two: a portrait page cut across, a mark at each end of the cut.
                                           PageCase{"A4TwoCards", {Paper::A4, 2}, {210, 297}, 2},
                                           PageCase{"A5TwoCards", {Paper::A5, 2}, {148, 210}, 2},
                                           // Four: two cuts, two marks each, and a cross of four arms where they meet.
                                           PageCase{"A4FourCards", {Paper::A4, 4}, {297, 210}, 8},
                                           PageCase{"LetterFourCards", {Paper::Letter, 4}, {279.4, 215.9}, 8}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST(CardPage, DefaultIsA6LandscapeWithThePictureAsLargeAsTheMarginAllows) {
    const PageGeometry g = pageGeometry(CardLayout{});
    EXPECT_EQ(g.pageMm, QSizeF(148, 105));
    // 95 mm high is the limit (105 less two margins); 95 x 4/3 wide, centred.
    EXPECT_NEAR(g.pictures[0].height(), 95.0, 1e-9);
    EXPECT_NEAR(g.pictures[0].width(), 95.0 * 4 / 3, 1e-9);
    EXPECT_NEAR(g.pictures[0].left(), (148 - 95.0 * 4 / 3) / 2, 1e-9);
    EXPECT_EQ(pageCount({Paper::A4, 4}, 5), 2);
    EXPECT_EQ(pageCount({Paper::A4, 4}, 8), 2);
    EXPECT_EQ(pageCount({}, 0), 0);
    EXPECT_EQ(paperFromName("LETTER"), Paper::Letter);
    EXPECT_EQ(paperFromName("a3"), std::nullopt);
}

// ---------------------------------------------------------------- PDF

QByteArray readAll(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

TEST(CardPdf, CarriesThePicturesOwnPixelsUnsmoothedOnAnA6Page) {
    QTemporaryDir dir;
    const QString bmp = dir.filePath("ana-kos.bmp"), pdf = dir.filePath("ana-kos.pdf");
    const QImage picture = surfaceImage(FirstPicture("ana kos").surface());
    ASSERT_EQ(writeImageFile(picture, bmp), std::nullopt);
    ASSERT_EQ(writeCardPdfFile(pdf, {"ana kos", {}, 1, [&](int) { return picture; }}), std::nullopt);

    const QList<QImage> images = pdfImages(pdf);
    ASSERT_EQ(images.size(), 1);
    EXPECT_EQ(images[0], QImage(bmp).convertToFormat(QImage::Format_RGB888)) << "pixel for pixel as the BMP";
    // A viewer may smooth an image flagged for interpolation; ours is not.
    EXPECT_FALSE(readAll(pdf).contains("/Interpolate true"));

    const QString info = pdfInfo(pdf);
    EXPECT_TRUE(info.contains(QRegularExpression("Pages:\\s+1\\n"))) << info.toStdString();
    // A6 landscape: 148 x 105 mm, in whole points as PDF pages come.
    EXPECT_TRUE(info.contains(QRegularExpression("Page size:\\s+420 x 297 pts"))) << info.toStdString();
    EXPECT_TRUE(info.contains(QRegularExpression("Title:\\s+ana kos\\n"))) << info.toStdString();
    EXPECT_TRUE(info.contains(QRegularExpression("Creator:\\s+painter "))) << info.toStdString();
    EXPECT_TRUE(info.contains(QRegularExpression("CreationDate:\\s+\\S"))) << info.toStdString();
}

TEST(CardPdf, ADocumentHoldsEveryCardInOrderFourToAnA4Page) {
    // Five plain pictures, each its own colour, so the order shows.
    QList<QImage> pictures;
    for (int k = 0; k < 5; ++k) {
        QImage p(700, 525, QImage::Format_RGB888);
        p.fill(QColor(40 * k, 255 - 40 * k, 7 * k));
        p.setPixel(k, k, qRgb(255, 255, 255));  // and no two alike in the PDF's image cache
        pictures << p;
    }
    QTemporaryDir dir;
    const QString pdf = dir.filePath("cards.pdf");
    ASSERT_EQ(writeCardPdfFile(pdf, {"razred", {Paper::A4, 4}, 5, [&](int k) { return pictures[k]; }}), std::nullopt);
    const QList<QImage> images = pdfImages(pdf);
    ASSERT_EQ(images.size(), 5);
    for (int k = 0; k < 5; ++k) EXPECT_EQ(images[k], pictures[k]) << "card " << k;
    const QString info = pdfInfo(pdf);
    EXPECT_TRUE(info.contains(QRegularExpression("Pages:\\s+2\\n"))) << info.toStdString();
    EXPECT_TRUE(info.contains(QRegularExpression("Page size:\\s+842 x 595 pts"))) << info.toStdString();
}

TEST(CardPdf, BytesOfOneCardAreACompletePdf) {
    QImage picture(700, 525, QImage::Format_RGB888);
    picture.fill(Qt::red);
    const QByteArray bytes = cardPdfBytes(picture, "ana");
    EXPECT_TRUE(bytes.startsWith("%PDF-"));
    EXPECT_TRUE(bytes.trimmed().endsWith("%%EOF"));
    QTemporaryDir dir;
    QFile f(dir.filePath("a.pdf"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    f.close();
    const QList<QImage> images = pdfImages(f.fileName());
    ASSERT_EQ(images.size(), 1);
    EXPECT_EQ(images[0], picture);
}

// ---------------------------------------------------------------- cut marks on paper

// Where the printed page has ink, read back from the PDF as pdftoppm renders
// it: marks where a printer prints, on the cuts, beside cards only.
struct MarkCase {
    const char* label;
    CardLayout layout;
    int cards;                      // on the (only) page
    QList<QPointF> marked;          // mm: a mark passes within half a millimetre
    QList<QPointF> unmarked;        // mm: nothing there
    QList<QRectF> empty;            // mm: no ink at all
};

void PrintTo(const MarkCase& c, std::ostream* os) { *os << c.label; }

class CutMarksOnPaper : public ::testing::TestWithParam<MarkCase> {};

constexpr int kMarkDpi = 150;

QPoint pixelAt(QPointF mm) { return (mm * kMarkDpi / 25.4).toPoint(); }

bool inkNear(const QImage& page, QPointF mm) {
    const QPoint c = pixelAt(mm);
    const int r = kMarkDpi / 50;  // half a millimetre
    for (int y = c.y() - r; y <= c.y() + r; ++y)
        for (int x = c.x() - r; x <= c.x() + r; ++x)
            if (page.rect().contains(x, y) && qGray(page.pixel(x, y)) < 230) return true;
    return false;
}

int inkIn(const QImage& page, const QRectF& mm) {
    const QRect r(pixelAt(mm.topLeft()), pixelAt(mm.bottomRight()));
    int ink = 0;
    for (int y = std::max(0, r.top()); y <= std::min(page.height() - 1, r.bottom()); ++y)
        for (int x = std::max(0, r.left()); x <= std::min(page.width() - 1, r.right()); ++x)
            ink += qGray(page.pixel(x, y)) < 250;
    return ink;
}

TEST_P(CutMarksOnPaper, LieWhereAPrinterPrintsBesideTheCardsOnly) {
    const MarkCase& c = GetParam();
    QImage picture(700, 525, QImage::Format_RGB888);
    picture.fill(QColor(200, 30, 40));
    QTemporaryDir dir;
    const QString pdf = dir.filePath("cards.pdf");
    ASSERT_EQ(writeCardPdfFile(pdf, {"razred", c.layout, c.cards, [&](int) { return picture; }}), std::nullopt);
    const QImage page = pdfPageImage(pdf, 1, kMarkDpi);
    ASSERT_FALSE(page.isNull());
    const QSizeF pageMm = QSizeF(page.size()) * 25.4 / kMarkDpi;

    // Most printers leave the outer few millimetres blank: nothing is there.
    const double band = 4.5;
    for (const QRectF& edge : {QRectF(0, 0, pageMm.width(), band), QRectF(0, pageMm.height() - band, pageMm.width(), band),
                               QRectF(0, 0, band, pageMm.height()), QRectF(pageMm.width() - band, 0, band, pageMm.height())})
        EXPECT_EQ(inkIn(page, edge), 0) << "at the page edge " << edge.x() << "," << edge.y();
    for (const QPointF& p : c.marked) EXPECT_TRUE(inkNear(page, p)) << "no mark at " << p.x() << "," << p.y() << " mm";
    for (const QPointF& p : c.unmarked) EXPECT_FALSE(inkNear(page, p)) << "a mark at " << p.x() << "," << p.y() << " mm";
    for (const QRectF& r : c.empty) EXPECT_EQ(inkIn(page, r), 0) << "ink where no card is: " << r.x() << "," << r.y();
    // No mark crosses a picture: each is its one colour to half a millimetre of its edge.
    const PageGeometry g = pageGeometry(c.layout);
    for (int k = 0; k < c.cards; ++k) {
        const QRectF inside = g.pictures[k].adjusted(0.5, 0.5, -0.5, -0.5);
        const QRect r(pixelAt(inside.topLeft()), pixelAt(inside.bottomRight()));
        int other = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x) other += page.pixel(x, y) != qRgb(200, 30, 40);
        EXPECT_EQ(other, 0) << "card " << k;
    }
}

// A4 landscape, four cards: cuts at x = 148.5 and y = 105 mm. A4 portrait,
// two cards: the cut at y = 148.5 mm. Marks run from 5 to 11 mm inside the
// edge, the cross's arms 6 mm from the crossing.
const QPointF kLeft(8, 105), kRight(289, 105), kTop(148.5, 8), kBottom(148.5, 202);
const QPointF kArmUp(148.5, 102), kArmDown(148.5, 108), kArmLeft(145.5, 105), kArmRight(151.5, 105);

INSTANTIATE_TEST_SUITE_P(
    Pages, CutMarksOnPaper,
    ::testing::Values(
        MarkCase{"FourOfFour", {Paper::A4, 4}, 4, {kLeft, kRight, kTop, kBottom, kArmUp, kArmDown, kArmLeft, kArmRight}, {}, {}},
        MarkCase{"ThreeOfFour", {Paper::A4, 4}, 3,
                 {kLeft, kRight, kTop, kBottom, kArmUp, kArmDown, kArmLeft, kArmRight}, {}, {{149.5, 106, 146, 103}}},
        // The last page: marks cut the two cards free, none in the empty half.
        MarkCase{"TwoOfFour", {Paper::A4, 4}, 2, {kLeft, kRight, kTop, kArmUp, kArmLeft, kArmRight},
                 {kBottom, kArmDown}, {{1, 106, 295, 103}}},
        MarkCase{"OneOfFour", {Paper::A4, 4}, 1, {kLeft, kTop, kArmUp, kArmLeft},
                 {kRight, kBottom, kArmDown, kArmRight}, {{149.5, 1, 146, 103}, {1, 106, 295, 103}}},
        MarkCase{"TwoOfTwo", {Paper::A4, 2}, 2, {{8, 148.5}, {202, 148.5}}, {}, {}},
        MarkCase{"OneOfTwo", {Paper::A4, 2}, 1, {{8, 148.5}, {202, 148.5}}, {}, {{1, 149.5, 208, 146}}},
        MarkCase{"OneAlone", {Paper::A6, 1}, 1, {}, {}, {}}),
    [](const auto& info) { return std::string(info.param.label); });

// ---------------------------------------------------------------- enlarged

TEST(Upscale, EveryPixelBecomesABlockOfItsColour) {
    QImage picture(7, 5, QImage::Format_RGB888);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) picture.setPixel(x, y, qRgb(x * 30, y * 50, (x * y) % 256));
    for (int factor : {1, 2, 3, 8}) {
        const QImage big = upscaleImage(picture, factor);
        ASSERT_EQ(big.size(), picture.size() * factor) << factor;
        for (int y = 0; y < big.height(); ++y)
            for (int x = 0; x < big.width(); ++x)
                ASSERT_EQ(big.pixel(x, y), picture.pixel(x / factor, y / factor)) << factor << ": " << x << "," << y;
    }
    EXPECT_TRUE(upscaleImage(picture, 0).isNull());
    EXPECT_TRUE(upscaleImage(picture, 9).isNull());
}

// ---------------------------------------------------------------- contact sheet

QImage testPicture();

TEST(ContactSheet, GridIsTheMostNearlySquareThatHoldsTheCount) {
    const std::pair<int, SheetGrid> cases[] = {{0, {0, 0}},  {1, {1, 1}},  {2, {2, 1}},  {3, {2, 2}},
                                               {4, {2, 2}},  {5, {3, 2}},  {9, {3, 3}},  {10, {4, 3}},
                                               {30, {6, 5}}, {31, {6, 6}}, {36, {6, 6}}, {37, {7, 6}}};
    for (const auto& [count, grid] : cases) {
        const SheetGrid g = sheetGrid(count);
        EXPECT_EQ(g.columns, grid.columns) << count;
        EXPECT_EQ(g.rows, grid.rows) << count;
    }
}

TEST(ContactSheet, ThumbnailPixelsAreTheMeanOfTheirBlock) {
    // One 5 x 5 block of 0..24 (mean 12), one of a lone bright pixel (mean
    // 255/25 = 10.2, rounds to 10): nearest-neighbour sampling would give a
    // pixel of the block instead.
    QImage picture(10, 5, QImage::Format_RGB888);
    picture.fill(Qt::black);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x) picture.setPixel(x, y, qRgb(y * 5 + x, 0, 24 - (y * 5 + x)));
    picture.setPixel(9, 4, qRgb(255, 255, 255));
    const QImage small = areaAverage(picture, 5);
    ASSERT_EQ(small.size(), QSize(2, 1));
    EXPECT_EQ(small.pixel(0, 0), qRgb(12, 0, 12));
    EXPECT_EQ(small.pixel(1, 0), qRgb(10, 10, 10));
}

TEST(ContactSheet, EveryPictureAsAThumbnailWithItsNameBelow) {
    QList<SheetEntry> entries;
    for (int k = 0; k < 5; ++k) {
        QImage p(700, 525, QImage::Format_RGB888);
        p.fill(QColor(50 * k, 100, 200 - 40 * k));
        p.setPixel(3, 3, qRgb(255, 255, 255));
        entries << SheetEntry{QStringLiteral("ime %1").arg(k), sheetThumbnail(p)};
    }
    const QImage sheet = contactSheet(entries);
    const int cellW = 140 + 2 * kSheetPadding, cellH = 105 + kSheetLabel + 2 * kSheetPadding;
    ASSERT_EQ(sheet.size(), QSize(3 * cellW, 2 * cellH));  // five in a 3 x 2 grid
    for (int k = 0; k < 5; ++k) {
        const int x = (k % 3) * cellW + kSheetPadding, y = (k / 3) * cellH + kSheetPadding;
        EXPECT_EQ(sheet.copy(x, y, 140, 105), entries[k].thumbnail) << k;
        // The name: black glyph pixels in the band under the thumbnail.
        int ink = 0;
        for (int yy = y + 105; yy < y + 105 + kSheetLabel; ++yy)
            for (int xx = x; xx < x + 140; ++xx) ink += qGray(sheet.pixel(xx, yy)) < 128;
        EXPECT_GT(ink, 20) << "name of " << k;
    }
    // The sixth cell stays empty.
    const QImage empty = sheet.copy(2 * cellW, cellH, cellW, cellH);
    EXPECT_EQ(empty.pixel(cellW / 2, cellH / 2), qRgb(255, 255, 255));
}

TEST(ContactSheet, AreaAverageToAnySizeWeighsThePixelsCutByTheEdges) {
    // A whole factor smaller (one that divides 700 and 525): exactly the block means.
    const QImage picture = testPicture();
    for (int factor : {1, 5, 7, 25})
        EXPECT_EQ(areaAverage(picture, QSize(700 / factor, 525 / factor)), areaAverage(picture, factor)) << factor;
    // Three pixels into two: each output pixel covers one and a half, the
    // middle one shared half and half. 0, 90, 255 -> (0 + 45) / 1.5 = 30 and
    // (45 + 255) / 1.5 = 200; nearest-neighbour or a whole-pixel box would not
    // give these.
    QImage row(3, 1, QImage::Format_RGB888);
    row.setPixel(0, 0, qRgb(0, 0, 0));
    row.setPixel(1, 0, qRgb(90, 90, 90));
    row.setPixel(2, 0, qRgb(255, 255, 255));
    const QImage two = areaAverage(row, QSize(2, 1));
    ASSERT_EQ(two.size(), QSize(2, 1));
    EXPECT_EQ(two.pixel(0, 0), qRgb(30, 30, 30));
    EXPECT_EQ(two.pixel(1, 0), qRgb(200, 200, 200));
    EXPECT_TRUE(areaAverage(row, QSize(4, 1)).isNull()) << "never enlarged";
}

// Every count of a class and beyond: the thumbnails stay on the paper inside
// the margin, apart from each other and from the names, at least 30 mm wide
// and with at least 150 of their pixels per inch, their pixels square.
TEST(ContactSheet, PrintedLayoutKeepsEveryThumbnailSharpAndApart) {
    for (int count = 1; count <= 120; ++count) {
        const SheetLayout s = sheetLayout(count, paperPortraitMm(Paper::A4), QSize(700, 525));
        SCOPED_TRACE(count);
        ASSERT_GE(s.perPage(), 1);
        EXPECT_EQ(s.pages, (count + s.perPage() - 1) / s.perPage());
        EXPECT_TRUE(s.pageMm == QSizeF(297, 210) || s.pageMm == QSizeF(210, 297));
        EXPECT_GE(s.thumbnailMm.width(), kSheetMinThumbnailMm - 1e-9);
        EXPECT_GE(s.thumbnailPixels.width() / (s.thumbnailMm.width() / 25.4), kSheetMinPpi);
        EXPECT_LE(s.thumbnailPixels.width(), 700);
        EXPECT_NEAR(s.thumbnailMm.width() / s.thumbnailMm.height(),
                    double(s.thumbnailPixels.width()) / s.thumbnailPixels.height(), 1e-9);
        const QRectF room = QRectF(QPointF(), s.pageMm).adjusted(10 - 1e-9, 10 - 1e-9, -10 + 1e-9, -10 + 1e-9);
        for (int k = 0; k < std::min(count, s.perPage()); ++k) {
            const QRectF t = s.thumbnail(k), l = s.label(k);
            EXPECT_TRUE(room.contains(t) && room.contains(l)) << k;
            EXPECT_FALSE(t.intersects(l.adjusted(0, 1e-9, 0, 0))) << k;
            for (int o = 0; o < k; ++o)
                EXPECT_FALSE(s.thumbnail(o).united(s.label(o)).intersects(t.united(l))) << k << " and " << o;
        }
    }
    // A class of thirty fits one page; a school's list goes on over pages.
    EXPECT_EQ(sheetLayout(30, paperPortraitMm(Paper::A4), QSize(700, 525)).pages, 1);
    EXPECT_GT(sheetLayout(120, paperPortraitMm(Paper::A4), QSize(700, 525)).pages, 1);
}

struct SheetPdfCase {
    int count;
    int pages;
    const char* pageSize;  // pdfinfo's, in points
};

void PrintTo(const SheetPdfCase& c, std::ostream* os) { *os << c.count << " names"; }

class PrintedSheet : public ::testing::TestWithParam<SheetPdfCase> {};

// What a printed sheet is made of, read back as a viewer reads it.
TEST_P(PrintedSheet, HoldsEveryThumbnailAtLeast150PpiAndEveryNameAsText) {
    const SheetPdfCase& c = GetParam();
    QTemporaryDir dir;
    const QString pdf = dir.filePath("razred.pdf");
    const QSize size = sheetThumbnailSize(pdf, c.count);
    QList<SheetEntry> entries;
    QList<QImage> pictures;
    for (int k = 0; k < c.count; ++k) {
        QImage p = testPicture();
        p.fill(QColor((37 * k) % 256, (91 * k) % 256, 255 - (13 * k) % 256));
        for (int x = 0; x < 700; x += 7) p.setPixel(x, (x * 3 + k) % 525, qRgb(255, 255, 255));
        pictures << p;
        entries << SheetEntry{QStringLiteral("ime%1 priimek").arg(k), sheetThumbnail(p, size)};
    }
    ASSERT_EQ(writeContactSheet(pdf, entries, "razred"), std::nullopt);

    const QString info = pdfInfo(pdf);
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+%1\\n").arg(c.pages)))) << info.toStdString();
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Page size:\\s+%1 pts").arg(c.pageSize))))
        << info.toStdString();
    const QList<testing::PdfImageListing> listed = pdfImageList(pdf);
    ASSERT_EQ(listed.size(), c.count) << "one image per thumbnail, not one for the sheet";
    for (const auto& image : listed) {
        EXPECT_GE(image.xPpi, 150);
        EXPECT_GE(image.yPpi, 150);
    }
    // The thumbnails' own pixels: the pictures area-averaged, losslessly.
    const QList<QImage> images = pdfImages(pdf);
    ASSERT_EQ(images.size(), c.count);
    for (int k = 0; k < c.count; ++k) EXPECT_EQ(images[k], areaAverage(pictures[k], size)) << k;

    // The names are text in an embedded font, in the list's order.
    const QString fonts = pdfFonts(pdf);
    EXPECT_TRUE(fonts.contains(QRegularExpression("DejaVuSans\\S*\\s.*\\syes\\s"))) << fonts.toStdString();
    const QString text = pdfText(pdf);
    qsizetype at = 0;
    for (int k = 0; k < c.count; ++k) {
        const qsizetype found = text.indexOf(QRegularExpression(QStringLiteral("\\bime%1 priimek\\b").arg(k)), at);
        ASSERT_GE(found, 0) << "name " << k << " in " << text.toStdString();
        at = found;
    }
}

INSTANTIATE_TEST_SUITE_P(Counts, PrintedSheet,
                         // Five take two columns of three on a portrait page: wider thumbnails.
                         ::testing::Values(SheetPdfCase{1, 1, "842 x 595"}, SheetPdfCase{5, 1, "595 x 842"},
                                           SheetPdfCase{12, 1, "842 x 595"}, SheetPdfCase{30, 1, "842 x 595"},
                                           SheetPdfCase{70, 2, "842 x 595"}),
                         [](const auto& info) { return std::to_string(info.param.count) + "Names"; });

// ---------------------------------------------------------------- failures

// Every new output writes atomically: a failure is a reason and leaves the
// folder as it was, an older file of that name included.
struct Writer {
    const char* label;
    const char* file;
    std::function<Problem(const QString& path)> write;
};

QImage testPicture() {
    QImage p(700, 525, QImage::Format_RGB888);
    for (int y = 0; y < 525; ++y)
        for (int x = 0; x < 700; ++x) p.setPixel(x, y, qRgb((x * 7) % 256, (y * 13) % 256, (x ^ y) % 256));
    return p;
}

const Writer kWriters[] = {
    {"card pdf", "card.pdf",
     [](const QString& path) {
         const QImage p = testPicture();
         return writeCardPdfFile(path, {"t", {}, 1, [&](int) { return p; }});
     }},
    {"enlarged png", "big.png",
     [](const QString& path) { return writeImageFile(upscaleImage(testPicture(), 4), path); }},
    {"sheet png", "sheet.png",
     [](const QString& path) {
         return writeContactSheet(path, {{"ana", sheetThumbnail(testPicture())}}, "t");
     }},
    {"sheet pdf", "sheet.pdf",
     [](const QString& path) {
         return writeContactSheet(path, {{"ana", sheetThumbnail(testPicture(), sheetThumbnailSize(path, 1))}}, "t");
     }},
};

enum class Provoke { MissingFolder, ReadOnlyFolder, FullDisk };

struct FailCase {
    Writer writer;
    Provoke how;
};

void PrintTo(const FailCase& c, std::ostream* os) { *os << c.writer.label << " / " << static_cast<int>(c.how); }

class FailedOutput : public ::testing::TestWithParam<FailCase> {};

TEST_P(FailedOutput, IsReportedAndLeavesNothingPartial) {
    const FailCase& c = GetParam();
    QTemporaryDir scratch;
    const QString folder = scratch.filePath(c.how == Provoke::MissingFolder ? "missing" : "out");
    if (c.how != Provoke::MissingFolder) {
        QDir().mkpath(folder);
        QFile old(folder + "/" + c.writer.file);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("an older file");
    }
    bool restricted = false;
    if (c.how == Provoke::ReadOnlyFolder) {
        // Without write permission, and for root with the immutable flag.
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
        if (geteuid() == 0 && !setImmutable(folder, true)) GTEST_SKIP() << "no immutable flag on this file system";
        restricted = true;
    }
    const std::unique_ptr<const QString, void (*)(const QString*)> mutableAgain(
        &folder, [](const QString* f) { setImmutable(*f, false); });

    struct rlimit limit {};
    getrlimit(RLIMIT_FSIZE, &limit);
    if (c.how == Provoke::FullDisk) {
        // A full disk, for real: the kernel refuses to grow a file past 1 KiB.
        signal(SIGXFSZ, SIG_IGN);
        struct rlimit small = limit;
        small.rlim_cur = 1024;
        setrlimit(RLIMIT_FSIZE, &small);
    }
    const Problem problem = c.writer.write(folder + "/" + c.writer.file);
    if (c.how == Provoke::FullDisk) setrlimit(RLIMIT_FSIZE, &limit);

    ASSERT_TRUE(problem) << "written all the same";
    EXPECT_FALSE(problem->isEmpty()) << "a reason for the user";
    if (c.how == Provoke::MissingFolder) {
        EXPECT_FALSE(QFileInfo::exists(folder));
        return;
    }
    if (restricted) setImmutable(folder, false);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{c.writer.file}) << "no temporary file";
    EXPECT_EQ(readAll(folder + "/" + c.writer.file), "an older file");
}

std::vector<FailCase> failCases() {
    std::vector<FailCase> cases;
    for (const Writer& w : kWriters)
        for (Provoke how : {Provoke::MissingFolder, Provoke::ReadOnlyFolder, Provoke::FullDisk})
            cases.push_back({w, how});
    return cases;
}

std::string failCaseName(const ::testing::TestParamInfo<FailCase>& info) {
    static const char* const how[] = {"MissingFolder", "ReadOnlyFolder", "FullDisk"};
    QString label = QString::fromLatin1(info.param.writer.label);
    label.replace(' ', '_');
    return label.toStdString() + "_" + how[static_cast<int>(info.param.how)];
}

INSTANTIATE_TEST_SUITE_P(Provoked, FailedOutput, ::testing::ValuesIn(failCases()), failCaseName);

}  // namespace
}  // namespace painter
