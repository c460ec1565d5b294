// The two reference pictures, drawn with GDI at the window's DPI.
#pragma once

#include <windows.h>

namespace typomancer {

struct PictureStyle {
    int dpi;
    HFONT font;      // the dialog font at `dpi`
    HFONT boldFont;  // the same, bold, for headers and example codes
};

// Each paints the whole client rectangle of its picture area: the picture on its white ground
// at the top left, the system's window colour beyond it.
void DrawKeyTablePicture(HDC dc, const RECT& client, const PictureStyle& style);
void DrawHelpPicture(HDC dc, const RECT& client, const PictureStyle& style);

// The colour of the pictures' ground, which the labels lying on them share.
constexpr COLORREF kPictureGround = RGB(255, 255, 255);
constexpr COLORREF kPictureText = RGB(0, 0, 0);
constexpr COLORREF kLabel3Text = RGB(64, 64, 64);

}  // namespace typomancer
