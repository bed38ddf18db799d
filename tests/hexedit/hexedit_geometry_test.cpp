// SPDX-License-Identifier: MIT
// Layout, hit test, caret box, scrolling arithmetic, highlight outlines and
// the texts of the hex editor, with cw = 8 and rh = 16 unless stated.
#include "hex_geometry.h"
#include "hex_text.h"

#include <QTest>

#include <string>
#include <vector>

using namespace scriba8::hexedit;

namespace {

LayoutInput Input(int textWidth, int textHeight, std::uint32_t length)
{
    LayoutInput in;
    in.charWidth = 8;
    in.rowHeight = 16;
    in.clientWidth = textWidth + 2 * kTextInset;
    in.clientHeight = textHeight + 2 * kTextInset;
    in.length = length;
    return in;
}

std::vector<std::uint8_t> Bytes(std::initializer_list<int> values)
{
    std::vector<std::uint8_t> out;
    for (int v : values)
        out.push_back(static_cast<std::uint8_t>(v));
    return out;
}

} // namespace

class HexGeometryTest : public QObject {
    Q_OBJECT

private slots:
    void fitToWidthCountsBytesThatFit()
    {
        LayoutInput in = Input(400, 160, 1000);
        in.fitToWidth = true;
        in.showAscii = true;
        QCOMPARE(ComputeLayout(in).bytesPerRow, 12u);  // 395 = 12 x 32 + 11
        in.clientWidth = 416 + 2 * kTextInset;
        QCOMPARE(ComputeLayout(in).bytesPerRow, 13u);  // 411 = 12 x 32 + 27, 27 >= 24

        // Without ASCII a byte takes 3 characters, the last one only 2.
        in.showAscii = false;
        in.clientWidth = 3 * 3 * 8 - 8 + 2 * kTextInset;  // exactly 3 bytes
        QCOMPARE(ComputeLayout(in).bytesPerRow, 3u);
        in.clientWidth -= 1;
        QCOMPARE(ComputeLayout(in).bytesPerRow, 2u);

        // Narrower than the address column: still one byte per row.
        in.showAddress = true;
        in.addressDigits = 8;
        in.clientWidth = 40;
        QCOMPARE(ComputeLayout(in).bytesPerRow, 1u);
    }

    void columnsSitSideBySide()
    {
        LayoutInput in = Input(600, 160, 100);
        in.showAddress = true;
        in.addressDigits = 6;
        in.showAscii = true;
        const Layout l = ComputeLayout(in);
        QCOMPARE(l.addressWidth, 53);
        QCOMPARE(l.hexX, 53);
        QCOMPARE(l.hexWidth, (3 * 16 - 1) * 8 + 5);
        QCOMPARE(l.asciiX, 53 + 381);
        QCOMPARE(l.asciiWidth, 128);
        QCOMPARE(l.contentWidth, 53 + 381 + 128);
        QCOMPARE(l.maxHorizontalOffset, 0);

        QCOMPARE(AddressLabel(0, 6), std::string("000000"));
        QCOMPARE(AddressLabel(16, 6), std::string("000010"));
        QCOMPARE(AddressLabel(0xABCDEF12, 4), std::string("ABCDEF12"));
        QCOMPARE(AddressLabel(1, 200).size(), std::size_t{31});

        // Too narrow for the content: the difference becomes the scroll range.
        in.clientWidth = 300 + 2 * kTextInset;
        const Layout narrow = ComputeLayout(in);
        QCOMPARE(narrow.maxHorizontalOffset, 562 - 300);
        QCOMPARE(HorizontalExtent(narrow), (ScrollExtent{0, 262 + 300 - 1, 300}));
    }

    void addressColumnWidensForTheLastAddress()
    {
        LayoutInput in = Input(600, 160, 0x1000000);  // last address FFFFFF
        in.showAddress = true;
        in.addressDigits = 6;
        QCOMPARE(ComputeLayout(in).addressDigits, 6u);
        QCOMPARE(ComputeLayout(in).addressWidth, 6 * 8 + 5);

        in.length = 0x1000001;  // last address 1000000 needs a seventh digit
        const Layout wide = ComputeLayout(in);
        QCOMPARE(wide.addressDigits, 7u);
        QCOMPARE(wide.addressWidth, 7 * 8 + 5);
        QCOMPARE(wide.hexX, wide.addressWidth);
        QCOMPARE(AddressLabel(0x1000000, wide.addressDigits), std::string("1000000"));

        // More digits than the buffer needs stay as configured.
        in.addressDigits = 8;
        QCOMPARE(ComputeLayout(in).addressDigits, 8u);
        in.showAddress = false;
        QCOMPARE(ComputeLayout(in).addressWidth, 0);
    }

    void partialLastRowCountsAsVisible()
    {
        const Layout l = ComputeLayout(Input(400, 88, 1000));  // 5.5 rows
        QCOMPARE(l.fullRows, 5u);
        QCOMPARE(l.visibleRows, 6u);
        QCOMPARE(l.lastRowHeight, 8);

        const auto caret = CaretBox(l, {}, {5 * 16 + 2, false});
        QVERIFY(caret.has_value());
        QCOMPARE(*caret, (PixelRect{5 + (3 * 2 + 1) * 8, 5 + 5 * 16 + 1, 5 + (3 * 2 + 1) * 8 + 8,
                                     5 + 5 * 16 + 8}));
        QCOMPARE(CaretBox(l, {}, {0, true})->height(), 15);
        QVERIFY(!CaretBox(l, {}, {6 * 16, true}).has_value());  // below the view
        QVERIFY(!CaretBox(l, {1, 0}, {15, true}).has_value());  // above it

        // Lower than one row: the partial row is the view and can show the end.
        const Layout tiny = ComputeLayout(Input(400, 10, 1000));
        QCOMPARE(tiny.fullRows, 0u);
        QCOMPARE(tiny.visibleRows, 1u);
        QCOMPARE(tiny.maxFirstRow, 62u);
        QCOMPARE(RowToShow(tiny, 0, 40, 40), std::optional<std::uint32_t>(2));
        QVERIFY(!RowToShow(tiny, 2, 40, 40).has_value());

        const Layout exact = ComputeLayout(Input(400, 80, 1000));
        QCOMPARE(exact.fullRows, 5u);
        QCOMPARE(exact.visibleRows, 5u);
        QCOMPARE(exact.lastRowHeight, 16);
    }

    void scrollRangeFollowsRowsAndView()
    {
        const Layout l = ComputeLayout(Input(400, 80, 100));
        QCOMPARE(l.totalRows, std::uint64_t{7});
        QCOMPARE(l.maxFirstRow, 2u);
        QCOMPARE(VerticalExtent(l), (ScrollExtent{0, 6, 5}));

        const Layout fits = ComputeLayout(Input(400, 80, 80));
        QCOMPARE(fits.maxFirstRow, 0u);
        QVERIFY(!VerticalExtent(fits).has_value());
        QVERIFY(!HorizontalExtent(fits).has_value());
    }

    void hitTestRoundsToTheNearestDigit()
    {
        const Layout l = ComputeLayout(Input(400, 80, 100));
        const int x0 = 5;  // first digit of byte 0
        QCOMPARE(HitTest(l, {}, x0 + 3, 5, 100), (CaretPosition{0, true}));
        QCOMPARE(HitTest(l, {}, x0 + 4, 5, 100), (CaretPosition{0, false}));  // right half
        QCOMPARE(HitTest(l, {}, x0 + 20, 5, 100), (CaretPosition{1, true}));
        QCOMPARE(HitTest(l, {}, 0, 5 + 16 + 3, 100), (CaretPosition{16, true}));  // left of the text
        QCOMPARE(HitTest(l, {}, 2000, 5, 100), (CaretPosition{15, false}));      // right of it
        QCOMPARE(HitTest(l, {}, x0, -50, 100), (CaretPosition{0, true}));         // above it
        QCOMPARE(HitTest(l, {2, 0}, x0, 5 + 16, 100), (CaretPosition{48, true}));  // scrolled
        QCOMPARE(HitTest(l, {2, 0}, 2000, 2000, 100), (CaretPosition{99, false}));  // past the end
    }

    void rowToShowScrollsTheLeastNeeded()
    {
        const Layout l = ComputeLayout(Input(400, 80, 1000));  // 5 full rows of 16
        QVERIFY(!RowToShow(l, 0, 64, 64).has_value());          // last full row
        QCOMPARE(RowToShow(l, 0, 80, 80), std::optional<std::uint32_t>(1));  // first byte below
        QCOMPARE(RowToShow(l, 10, 20, 20), std::optional<std::uint32_t>(1));  // above: to the top
        QCOMPARE(RowToShow(l, 0, 999, 999), std::optional<std::uint32_t>(l.maxFirstRow));
        // Taller than the view: its start, or its end when it starts above.
        QCOMPARE(RowToShow(l, 0, 40, 400), std::optional<std::uint32_t>(2));
        QCOMPARE(RowToShow(l, 30, 40, 400), std::optional<std::uint32_t>(21));
        QVERIFY(!RowToShow(l, 3, 0, 999).has_value());  // covers the whole view
    }

    void offsetToShowBringsColumnsIn()
    {
        const Layout l = ComputeLayout(Input(200, 80, 1000));  // 376 pixels of hex text
        QCOMPARE(l.maxHorizontalOffset, 176);
        QCOMPARE(OffsetToShow(l, 0, 15, 15), std::optional<int>(176));  // 181, clamped
        QCOMPARE(OffsetToShow(l, 100, 1, 1), std::optional<int>(24));
        QVERIFY(!OffsetToShow(l, 0, 2, 2).has_value());
    }

    void highlightOutlines()
    {
        const Layout l = ComputeLayout(Input(400, 80, 1000));
        const int lf = 5;
        const int tf = 5;
        const int rf = lf + 47 * 8;

        // Column 3 of row 0 to column 5 of row 1.
        const std::vector<PixelPoint> eight = HighlightOutline(l, {}, 3, 16 + 5);
        const int xs = lf + 9 * 8 - 2;
        const int xe = lf + 17 * 8 + 2;
        const std::vector<PixelPoint> expected8{{xs, tf + 16}, {xs, tf},           {rf + 1, tf},
                                                {rf + 1, tf + 16}, {xe, tf + 16},  {xe, tf + 32},
                                                {lf - 2, tf + 32}, {lf - 2, tf + 16}};
        QCOMPARE(eight, expected8);

        // Ending exactly at a row end: the rectangle around the run.
        const std::vector<PixelPoint> four = HighlightOutline(l, {}, 16 + 4, 31);
        const std::vector<PixelPoint> expected4{{lf + 12 * 8 - 2, tf + 32}, {lf + 12 * 8 - 2, tf + 16},
                                                {rf + 2, tf + 16},           {rf + 2, tf + 32}};
        QCOMPARE(four, expected4);

        // Starting in the row above the view: the frame opens above the top.
        const std::vector<PixelPoint> above = HighlightOutline(l, {1, 0}, 10, 20);
        QCOMPARE(above.front(), (PixelPoint{lf + 30 * 8 - 2, tf}));
        QCOMPARE(above.at(1), (PixelPoint{lf + 30 * 8 - 2, tf - 16}));

        QVERIFY(HighlightOutline(l, {2, 0}, 0, 31).empty());    // wholly above
        QVERIFY(HighlightOutline(l, {}, 96, 100).empty());      // wholly below
        QCOMPARE(HighlightOutline(l, {3, 0}, 0, 60).size(), std::size_t{7});  // from far above
    }

    void runsCoverTheDigitsOfARow()
    {
        QCOMPARE(RunInRow(16, 31, 18, 20), std::optional<TextRun>({6, 14}));
        QCOMPARE(RunInRow(16, 31, 0, 17), std::optional<TextRun>({0, 5}));   // began earlier
        QCOMPARE(RunInRow(16, 31, 30, 99), std::optional<TextRun>({42, 47})); // goes on
        QCOMPARE(RunInRow(16, 20, 0, 99), std::optional<TextRun>({0, 14}));   // short last row
        QVERIFY(!RunInRow(16, 31, 0, 15).has_value());
        QVERIFY(!RunInRow(16, 31, 32, 40).has_value());
    }

    void selectionTextKeepsColumnsOfLongSelections()
    {
        const std::vector<std::uint8_t> data = Bytes({0x12, 0x34, 0x56});
        QCOMPARE(SelectionText(data, 0, 2, 16), std::string("12 34 56\n"));

        std::vector<std::uint8_t> counting(64);
        for (std::size_t i = 0; i < counting.size(); ++i)
            counting[i] = static_cast<std::uint8_t>(i);
        const std::string twenty = SelectionText(counting, 4, 23, 16);
        QCOMPARE(twenty, std::string(12, ' ') + "04 05 06 07 08 09 0A 0B 0C 0D 0E 0F\n" +
                             "10 11 12 13 14 15 16 17\n");
        // Up to a row's length the text starts at column 0.
        QCOMPARE(SelectionText(counting, 10, 26, 16),
                 std::string("0A 0B 0C 0D 0E 0F 10 11 12 13 14 15 16 17 18 19\n1A\n"));
    }

    void binaryFormTrustsOnlyWhatItHolds()
    {
        const std::vector<std::uint8_t> form = EncodeBinaryData(Bytes({0x12, 0x34, 0x56}));
        QCOMPARE(form, Bytes({3, 0, 0, 0, 0x12, 0x34, 0x56}));
        const auto back = DecodeBinaryData(form);
        QCOMPARE(std::vector<std::uint8_t>(back.begin(), back.end()), Bytes({0x12, 0x34, 0x56}));

        const std::vector<std::uint8_t> lying = Bytes({0xFF, 0xFF, 0, 0, 1, 2});
        QCOMPARE(DecodeBinaryData(lying).size(), std::size_t{2});
        const std::vector<std::uint8_t> shorter = Bytes({1, 0, 0, 0, 7, 8, 9});
        QCOMPARE(DecodeBinaryData(shorter).size(), std::size_t{1});
        QVERIFY(DecodeBinaryData(Bytes({5, 0})).empty());
    }
};

QTEST_APPLESS_MAIN(HexGeometryTest)
#include "hexedit_geometry_test.moc"
