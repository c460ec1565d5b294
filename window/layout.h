// Where everything in the main window stands. Positions are kept in twips (1/1440 inch), as the
// window was designed, and turned into pixels for the window's DPI only at the last moment, so
// the buttons stay on the rows of the pictures at any DPI.
#pragma once

#include <array>
#include <cstdint>

namespace typomancer {

struct TwipsRect {
    int left;
    int top;
    int width;
    int height;
};

struct PixelRect {
    int left;
    int top;
    int right;
    int bottom;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

enum class ControlKind {
    Picture,
    Label,
    ScriptBox,   // multi-line edit with both scroll bars
    SecondsBox,  // single-line edit
    Button,
};

struct ControlPlace {
    int id;             // from control_ids.h
    ControlKind kind;
    TwipsRect rect;     // in the client area of the main window
    bool tabStop;
    const char16_t* text;
};

constexpr int kTwipsPerInch = 1440;
constexpr int kClientWidthTwips = 12015;
constexpr int kClientHeightTwips = 12450;

// Both pictures, in window twips.
constexpr TwipsRect kPicture1Rect{0, 0, 3720, 7890};
constexpr TwipsRect kPicture2Rect{30, 7950, 11925, 4230};

// The key table picture: row i is centred 33 + 24 i pixels (at 96 DPI) below its top and
// 24 pixels high; the bold header takes the pixels above row 0.
constexpr int kKeyTableFirstRowCentre96 = 33;
constexpr int kKeyTableRowPitch96 = 24;
constexpr int kKeyTableRowCount = 36;
constexpr int kKeyTableWidth96 = 251;
constexpr int kKeyTableHeight96 = 891;

// The notation help picture: its small modifier table has the rows SHIFT, CTRL and ALT centred
// 84, 108 and 132 pixels below its top, and its header one pitch above.
constexpr int kHelpTableFirstRowCentre96 = 84;
constexpr int kHelpTableRowPitch96 = 24;
constexpr int kHelpTableRowCount = 3;
constexpr int kHelpPictureWidth96 = 602;
constexpr int kHelpPictureHeight96 = 277;

constexpr int kPaletteKeyButtons = 21;       // cmd 0 to 20, beside the key table's rows
constexpr int kPaletteFirstModifier = 21;    // cmd 21 to 23, beside SHIFT, CTRL and ALT
constexpr int kPaletteWaitButton = 24;

constexpr int kControlCount = 34;

// MulDiv(twips, dpi, 1440): the nearest pixel, halves away from zero.
int TwipsToPixels(int twips, int dpi);

// The rectangle's edges converted one by one, so neighbouring controls never gain a gap or an
// overlap from rounding.
PixelRect ToPixels(const TwipsRect& rect, int dpi);

// The client area: 801 x 830 pixels at 96 DPI.
int ClientWidth(int dpi);
int ClientHeight(int dpi);

// Every control of the main window in creation order, which is also the z-order from the top
// and the keyboard focus order of the tab stops: the boxes and buttons first, the labels under
// them, the pictures at the bottom.
const std::array<ControlPlace, kControlCount>& Controls();
const ControlPlace* FindControl(int id);

// The twips rectangle of palette button `index` (0 to 24) in the window.
TwipsRect PaletteButtonRect(int index);

// A distance of `imagePixels` (at 96 DPI) from the picture's top or left edge, in device pixels
// relative to that edge. Measured from the window's origin and then subtracted, so that a row
// lands on exactly the pixel its button is centred on.
int PictureOffset(int pictureEdgeTwips, int imagePixels96, int dpi);

// The vertical band of key table row `row` (-1 for the header) and of the help table's rows
// (-1 for its header, 0 to 2 for SHIFT, CTRL, ALT), in pixels relative to the picture's top.
struct PixelBand {
    int top;
    int bottom;
};
PixelBand KeyTableRowBand(int row, int dpi);
PixelBand HelpTableRowBand(int row, int dpi);

}  // namespace typomancer
