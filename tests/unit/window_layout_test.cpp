#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "control_ids.h"
#include "layout.h"

namespace typomancer {
namespace {

using ::testing::ElementsAreArray;

constexpr int kDpis[] = {96, 120, 144, 192};

PixelRect WindowPixels(int id, int dpi) {
    const ControlPlace* place = FindControl(id);
    EXPECT_NE(place, nullptr) << id;
    return place ? ToPixels(place->rect, dpi) : PixelRect{};
}

// Twice the centre, so half pixels compare exactly.
int Centre2(int top, int bottom) { return top + bottom; }

TEST(Layout, TwipsBecomePixelsAsMulDivRoundsThem) {
    struct Case {
        int twips, dpi, pixels;
    };
    const Case cases[] = {
        {15, 96, 1},      {7, 96, 0},       {8, 96, 1},      // 7.5 twips is half a pixel
        {345, 144, 35},   {-345, 144, -35}, {12015, 96, 801}, {12450, 96, 830},
        {12015, 144, 1202}, {12450, 144, 1245}, {1440, 1, 1}, {0, 300, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.twips);
        EXPECT_EQ(TwipsToPixels(c.twips, c.dpi), c.pixels) << "at " << c.dpi;
    }
    EXPECT_EQ(ClientWidth(96), 801);
    EXPECT_EQ(ClientHeight(96), 830);
}

TEST(Layout, KeyButtonsStandBesideTheKeyTableRowsAtEveryDpi) {
    const PixelRect picture = WindowPixels(kIdPicture1, 96);
    EXPECT_EQ(picture.Width(), 248);
    EXPECT_EQ(picture.Height(), 526);
    for (int dpi : kDpis) {
        SCOPED_TRACE(dpi);
        const PixelRect area = WindowPixels(kIdPicture1, dpi);
        for (int i = 0; i < kPaletteKeyButtons; ++i) {
            SCOPED_TRACE(i);
            const PixelRect button = ToPixels(PaletteButtonRect(i), dpi);
            const PixelBand row = KeyTableRowBand(i, dpi);
            EXPECT_NEAR(Centre2(button.top, button.bottom),
                        Centre2(area.top + row.top, area.top + row.bottom), 1);
            EXPECT_GT(button.left, area.right - 1);
            // Rows follow each other without gaps or overlaps.
            if (i > 0) {
                EXPECT_EQ(KeyTableRowBand(i - 1, dpi).bottom, row.top);
            }
        }
        EXPECT_EQ(KeyTableRowBand(-1, dpi).bottom, KeyTableRowBand(0, dpi).top);
    }
    // At 96 DPI exactly as designed: two pixels right of the area, tops at 23 + 24 i, 20 high.
    for (int i = 0; i < kPaletteKeyButtons; ++i) {
        const PixelRect button = ToPixels(PaletteButtonRect(i), 96);
        EXPECT_EQ(button.left, 250);
        EXPECT_EQ(button.top, 23 + 24 * i);
        EXPECT_EQ(button.Height(), 20);
        EXPECT_EQ(KeyTableRowBand(i, 96).top, 21 + 24 * i);
    }
}

TEST(Layout, ModifierButtonsStandBesideTheHelpTableRowsAtEveryDpi) {
    for (int dpi : kDpis) {
        SCOPED_TRACE(dpi);
        const PixelRect area = WindowPixels(kIdPicture2, dpi);
        for (int row = 0; row < kHelpTableRowCount; ++row) {
            SCOPED_TRACE(row);
            const PixelRect button = ToPixels(PaletteButtonRect(kPaletteFirstModifier + row), dpi);
            const PixelBand band = HelpTableRowBand(row, dpi);
            EXPECT_NEAR(Centre2(button.top, button.bottom),
                        Centre2(area.top + band.top, area.top + band.bottom), 1);
        }
        // The pause row stands level with the help table's header.
        const PixelBand header = HelpTableRowBand(-1, dpi);
        for (int id : {kIdLabel6, kIdTxtWait, kIdLabel5, kIdCmdFirst + kPaletteWaitButton}) {
            const PixelRect control = WindowPixels(id, dpi);
            EXPECT_GE(control.top, area.top + header.top) << id;
            EXPECT_LE(control.bottom, area.top + header.bottom) << id;
        }
    }
    const PixelRect area = WindowPixels(kIdPicture2, 96);
    EXPECT_EQ(ToPixels(PaletteButtonRect(21), 96).left - area.left, 80);
    EXPECT_EQ(HelpTableRowBand(0, 96).top + 12, 84);
}

TEST(Layout, Label3CoversTheKeyCellOfTheLastVisibleRow) {
    for (int dpi : kDpis) {
        SCOPED_TRACE(dpi);
        const PixelRect label = WindowPixels(kIdLabel3, dpi);
        const PixelRect area = WindowPixels(kIdPicture1, dpi);
        const PixelBand row20 = KeyTableRowBand(20, dpi);
        EXPECT_GE(label.top, area.top + row20.top);
        EXPECT_LE(label.bottom, area.top + row20.bottom);
        // Row 21 is the first cut off.
        EXPECT_LE(area.top + row20.bottom, area.bottom);
        EXPECT_GT(area.top + KeyTableRowBand(21, dpi).bottom, area.bottom);
    }
}

TEST(Layout, FocusOrderRunsFromRunScriptThroughThePaletteToTheWaitButton) {
    std::vector<int> expected = {kIdCmdRun, kIdTxtScript};
    for (int i = 0; i <= 23; ++i) expected.push_back(kIdCmdFirst + i);
    expected.push_back(kIdTxtWait);
    expected.push_back(kIdCmdFirst + 24);

    std::vector<int> tabStops;
    for (const ControlPlace& place : Controls()) {
        if (place.tabStop) tabStops.push_back(place.id);
    }
    EXPECT_THAT(tabStops, ElementsAreArray(expected));
}

TEST(Layout, EveryControlIsUniqueAndInsideTheClientArea) {
    std::vector<int> ids;
    for (int dpi : kDpis) {
        for (const ControlPlace& place : Controls()) {
            const PixelRect rect = ToPixels(place.rect, dpi);
            EXPECT_GE(rect.left, 0) << place.id;
            EXPECT_GE(rect.top, 0) << place.id;
            EXPECT_LE(rect.right, ClientWidth(dpi)) << place.id;
            EXPECT_LE(rect.bottom, ClientHeight(dpi)) << place.id;
            EXPECT_GT(rect.Width(), 0) << place.id;
            EXPECT_GT(rect.Height(), 0) << place.id;
        }
    }
    for (const ControlPlace& place : Controls()) {
        EXPECT_EQ(std::count(ids.begin(), ids.end(), place.id), 0) << place.id;
        ids.push_back(place.id);
    }
}

// Creation order is z-order: where two controls overlap, a box or button must lie over a label
// ("Wait" reaches under the seconds box) and anything over a picture.
TEST(Layout, OverlappingControlsStackInputsOverLabelsOverPictures) {
    auto layer = [](ControlKind kind) {
        return kind == ControlKind::Picture ? 2 : kind == ControlKind::Label ? 1 : 0;
    };
    auto overlap = [](const TwipsRect& a, const TwipsRect& b) {
        return a.left < b.left + b.width && b.left < a.left + a.width &&
               a.top < b.top + b.height && b.top < a.top + a.height;
    };
    const auto& controls = Controls();
    int overlaps = 0;
    for (std::size_t upper = 0; upper < controls.size(); ++upper) {
        for (std::size_t lower = upper + 1; lower < controls.size(); ++lower) {
            if (!overlap(controls[upper].rect, controls[lower].rect)) continue;
            ++overlaps;
            EXPECT_LT(layer(controls[upper].kind), layer(controls[lower].kind))
                << controls[upper].id << " over " << controls[lower].id;
        }
    }
    EXPECT_GT(overlaps, 0);
}

}  // namespace
}  // namespace typomancer
