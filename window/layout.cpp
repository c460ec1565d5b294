#include "layout.h"

#include <cstdint>

#include "control_ids.h"

namespace typomancer {
namespace {

constexpr char16_t kLabel4Text[] =
    u"Script (Enter a combination of Codes provided and your own text. When run the active "
    u"window BEHIND this one will recieve the keys)";

constexpr int kPaletteLeft = 3750;
constexpr int kPaletteFirstTop = 345;
constexpr int kPalettePitch = 360;
constexpr int kModifierLeft = 1230;
constexpr int kModifierFirstTop = 9060;
constexpr int kButtonWidth = 315;
constexpr int kButtonHeight = 300;

// Controls that stand on the notation help picture are placed relative to it; they are
// children of the window (so the focus order can run through them), at the picture's offset.
constexpr TwipsRect OnPicture2(int left, int top, int width, int height) {
    return TwipsRect{kPicture2Rect.left + left, kPicture2Rect.top + top, width, height};
}

constexpr ControlPlace Button(int index, TwipsRect rect) {
    return ControlPlace{kIdCmdFirst + index, ControlKind::Button, rect, true, u">"};
}

constexpr ControlPlace KeyButton(int index) {
    return Button(index, TwipsRect{kPaletteLeft, kPaletteFirstTop + kPalettePitch * index,
                                   kButtonWidth, kButtonHeight});
}

constexpr ControlPlace ModifierButton(int index) {
    return Button(index, TwipsRect{kModifierLeft,
                                   kModifierFirstTop +
                                       kPalettePitch * (index - kPaletteFirstModifier),
                                   kButtonWidth, kButtonHeight});
}

constexpr std::array<ControlPlace, kControlCount> kControls{{
    {kIdCmdRun, ControlKind::Button, OnPicture2(10215, 105, 1575, 420), true, u"Run Script"},
    {kIdTxtScript, ControlKind::ScriptBox, {4215, 510, 7755, 7380}, true, u""},
    KeyButton(0), KeyButton(1), KeyButton(2), KeyButton(3), KeyButton(4), KeyButton(5),
    KeyButton(6), KeyButton(7), KeyButton(8), KeyButton(9), KeyButton(10), KeyButton(11),
    KeyButton(12), KeyButton(13), KeyButton(14), KeyButton(15), KeyButton(16), KeyButton(17),
    KeyButton(18), KeyButton(19), KeyButton(20),
    ModifierButton(21), ModifierButton(22), ModifierButton(23),
    {kIdTxtWait, ControlKind::SecondsBox, OnPicture2(4020, 765, 870, 300), true, u"5"},
    Button(kPaletteWaitButton, OnPicture2(5610, 765, kButtonWidth, kButtonHeight)),
    // Labels lie under the boxes and buttons: "Wait" reaches under the seconds box and would
    // hide its text.
    {kIdLabel4, ControlKind::Label, {4215, 75, 7755, 405}, false, kLabel4Text},
    {kIdLabel6, ControlKind::Label, OnPicture2(3600, 795, 585, 255), false, u"Wait"},
    {kIdLabel5, ControlKind::Label, OnPicture2(4920, 795, 675, 255), false, u"seconds"},
    // Label3 lies on the key table picture, over the key cell of its last visible row.
    {kIdLabel3, ControlKind::Label, {90, 7605, 585, 255}, false, u"F1 - 16"},
    {kIdPicture1, ControlKind::Picture, kPicture1Rect, false, u""},
    {kIdPicture2, ControlKind::Picture, kPicture2Rect, false, u""},
}};

constexpr int kTwipsPerPixelAt96 = kTwipsPerInch / 96;

}  // namespace

int TwipsToPixels(int twips, int dpi) {
    const std::int64_t product = static_cast<std::int64_t>(twips) * dpi;
    const std::int64_t half = kTwipsPerInch / 2;
    const std::int64_t pixels =
        product >= 0 ? (product + half) / kTwipsPerInch : -((-product + half) / kTwipsPerInch);
    return static_cast<int>(pixels);
}

PixelRect ToPixels(const TwipsRect& rect, int dpi) {
    return PixelRect{TwipsToPixels(rect.left, dpi), TwipsToPixels(rect.top, dpi),
                     TwipsToPixels(rect.left + rect.width, dpi),
                     TwipsToPixels(rect.top + rect.height, dpi)};
}

int ClientWidth(int dpi) { return TwipsToPixels(kClientWidthTwips, dpi); }
int ClientHeight(int dpi) { return TwipsToPixels(kClientHeightTwips, dpi); }

const std::array<ControlPlace, kControlCount>& Controls() { return kControls; }

const ControlPlace* FindControl(int id) {
    for (const ControlPlace& place : kControls) {
        if (place.id == id) return &place;
    }
    return nullptr;
}

TwipsRect PaletteButtonRect(int index) {
    const ControlPlace* place = FindControl(kIdCmdFirst + index);
    return place ? place->rect : TwipsRect{0, 0, 0, 0};
}

int PictureOffset(int pictureEdgeTwips, int imagePixels96, int dpi) {
    return TwipsToPixels(pictureEdgeTwips + imagePixels96 * kTwipsPerPixelAt96, dpi) -
           TwipsToPixels(pictureEdgeTwips, dpi);
}

PixelBand KeyTableRowBand(int row, int dpi) {
    const int half = kKeyTableRowPitch96 / 2;
    if (row < 0) {
        const int headerBottom = kKeyTableFirstRowCentre96 - half;
        return PixelBand{0, PictureOffset(kPicture1Rect.top, headerBottom, dpi)};
    }
    const int centre = kKeyTableFirstRowCentre96 + kKeyTableRowPitch96 * row;
    return PixelBand{PictureOffset(kPicture1Rect.top, centre - half, dpi),
                     PictureOffset(kPicture1Rect.top, centre + half, dpi)};
}

PixelBand HelpTableRowBand(int row, int dpi) {
    const int half = kHelpTableRowPitch96 / 2;
    const int centre = kHelpTableFirstRowCentre96 + kHelpTableRowPitch96 * row;
    return PixelBand{PictureOffset(kPicture2Rect.top, centre - half, dpi),
                     PictureOffset(kPicture2Rect.top, centre + half, dpi)};
}

}  // namespace typomancer
