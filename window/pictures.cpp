#include "pictures.h"

#include <algorithm>
#include <string_view>

#include "layout.h"
#include "picture_text.h"
#include "unique_resource.h"

namespace typomancer {
namespace {

constexpr COLORREF kGridLine = RGB(192, 192, 192);
constexpr COLORREF kHeaderLine = RGB(96, 96, 96);

// Distances inside the pictures at 96 DPI.
// Tight, because the widest code only just fits the visible part of the key table; Label3 starts
// a pixel further right, which does not show.
constexpr int kTextMargin = 5;
constexpr int kCellGap = 3;  // between a cell's text and the grid line beside it
constexpr int kLabelledKeyRow = 20;
constexpr int kHelpLeft = 8;
constexpr int kHelpParagraphGap = 8;
constexpr int kHelpExampleIndent = 24;
constexpr int kHelpExampleGap = 12;
// The modifier table must end left of the buttons that stand beside it, 80 pixels in.
constexpr int kModTableLeft = 2;
constexpr int kModTableSplit = 44;
constexpr int kModTableRight = 78;

int KeyX(int px, int dpi) { return PictureOffset(kPicture1Rect.left, px, dpi); }
int KeyY(int px, int dpi) { return PictureOffset(kPicture1Rect.top, px, dpi); }
int HelpX(int px, int dpi) { return PictureOffset(kPicture2Rect.left, px, dpi); }
int HelpY(int px, int dpi) { return PictureOffset(kPicture2Rect.top, px, dpi); }

const wchar_t* Wide(std::u16string_view text) {
    return reinterpret_cast<const wchar_t*>(text.data());
}

int TextWidth(HDC dc, HFONT font, std::u16string_view text) {
    SelectGuard select(dc, font);
    SIZE size{};
    GetTextExtentPoint32W(dc, Wide(text), static_cast<int>(text.size()), &size);
    return size.cx;
}

void FillSolid(HDC dc, const RECT& rect, COLORREF colour) {
    UniqueBrush brush(CreateSolidBrush(colour));
    if (brush) FillRect(dc, &rect, brush.get());
}

void Line(HDC dc, COLORREF colour, int x1, int y1, int x2, int y2) {
    UniquePen pen(CreatePen(PS_SOLID, 1, colour));
    if (!pen) return;
    SelectGuard select(dc, pen.get());
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
}

// One line of text in a cell, vertically centred.
void CellText(HDC dc, HFONT font, std::u16string_view text, int left, int right, PixelBand band,
              UINT align = DT_LEFT) {
    SelectGuard select(dc, font);
    RECT rect{left, band.top, right, band.bottom};
    DrawTextW(dc, Wide(text), static_cast<int>(text.size()), &rect,
              align | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_NOCLIP);
}

// The dialog font, or a smaller copy of it when the text would not fit in `available` pixels.
// The copy names the face the font really is: the dialog font's name is often an alias, which
// at another size may pick a different face.
class FittedFont {
public:
    FittedFont(HDC dc, HFONT font, int needed, int available) : font_(font) {
        if (needed <= available || needed <= 0 || available <= 0) return;
        LOGFONTW logFont{};
        if (GetObjectW(font, sizeof logFont, &logFont) != sizeof logFont) return;
        {
            SelectGuard select(dc, font);
            wchar_t face[LF_FACESIZE] = {};
            if (GetTextFaceW(dc, LF_FACESIZE, face) > 0) {
                lstrcpynW(logFont.lfFaceName, face, LF_FACESIZE);
            }
        }
        // Rounded towards smaller, so the text does fit.
        const long height = logFont.lfHeight < 0 ? -logFont.lfHeight : logFont.lfHeight;
        const long smaller = height * available / needed;
        if (smaller <= 0) return;
        logFont.lfHeight = logFont.lfHeight < 0 ? -smaller : smaller;
        logFont.lfWidth = 0;
        owned_.reset(CreateFontIndirectW(&logFont));
        if (owned_) font_ = owned_.get();
    }
    HFONT get() const { return font_; }

private:
    HFONT font_;
    UniqueFont owned_;
};

// Paints the system's window colour over the area and the picture's white ground over its
// image, and returns the image's rectangle.
RECT PaintGround(HDC dc, const RECT& client, int imageWidth, int imageHeight) {
    FillSolid(dc, client, GetSysColor(COLOR_WINDOW));
    RECT image{0, 0, imageWidth, imageHeight};
    FillSolid(dc, image, kPictureGround);
    return image;
}

}  // namespace

void DrawKeyTablePicture(HDC dc, const RECT& client, const PictureStyle& style) {
    const int dpi = style.dpi;
    const RECT image = PaintGround(dc, client, KeyX(kKeyTableWidth96, dpi),
                                   KeyY(kKeyTableHeight96, dpi));
    const int visibleRight = std::min(image.right, client.right);

    // Both columns must fit in the part of the picture that shows: the key column as wide as
    // its longest key, the code column with the rest.
    const auto& rows = KeyTableRows();
    const int margin = KeyX(kTextMargin, dpi);
    const int gap = KeyX(kCellGap, dpi);
    int keyWidth = TextWidth(dc, style.boldFont, kKeyTableKeyHeader);
    int codeWidth = TextWidth(dc, style.boldFont, kKeyTableCodeHeader);
    for (const KeyTableRow& row : rows) {
        keyWidth = std::max(keyWidth, TextWidth(dc, style.font, row.key));
        codeWidth = std::max(codeWidth, TextWidth(dc, style.font, row.code));
    }
    const int needed = margin + keyWidth + 2 * gap + codeWidth;
    FittedFont font(dc, style.font, needed, visibleRight);
    FittedFont bold(dc, style.boldFont, needed, visibleRight);
    if (needed > visibleRight) keyWidth = MulDiv(keyWidth, visibleRight, needed);
    const int split = margin + keyWidth + gap;
    const int codeLeft = split + gap;

    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kPictureText);

    const PixelBand header = KeyTableRowBand(-1, dpi);
    CellText(dc, bold.get(), kKeyTableKeyHeader, margin, split, header);
    CellText(dc, bold.get(), kKeyTableCodeHeader, codeLeft, image.right, header);

    for (int i = 0; i < kKeyTableRowCount; ++i) {
        const PixelBand band = KeyTableRowBand(i, dpi);
        if (band.top >= client.bottom) break;
        Line(dc, i == 0 ? kHeaderLine : kGridLine, 0, band.top, image.right, band.top);
        // Label3 lies over this cell and reads "F1 - 16"; a key drawn under it would show at
        // its edges.
        if (i != kLabelledKeyRow) CellText(dc, font.get(), rows[i].key, margin, split, band);
        CellText(dc, font.get(), rows[i].code, codeLeft, image.right, band);
    }
    Line(dc, kGridLine, split, 0, split, image.bottom);
}

void DrawHelpPicture(HDC dc, const RECT& client, const PictureStyle& style) {
    const int dpi = style.dpi;
    const RECT image = PaintGround(dc, client, HelpX(kHelpPictureWidth96, dpi),
                                   HelpY(kHelpPictureHeight96, dpi));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kPictureText);

    const auto& paragraphs = HelpParagraphs();
    const int left = HelpX(kHelpLeft, dpi);
    const int right = image.right - left;

    auto paragraph = [&](std::u16string_view text, int top) {
        SelectGuard select(dc, style.font);
        RECT rect{left, top, right, image.bottom};
        const int height = DrawTextW(dc, Wide(text), static_cast<int>(text.size()), &rect,
                                     DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
        return top + height;
    };

    // Paragraph 1 and the modifier table under it, whose rows the buttons 21 to 23 stand on.
    paragraph(paragraphs[0].text, HelpY(kHelpParagraphGap - 2, dpi));

    const int tableLeft = HelpX(kModTableLeft, dpi);
    const int tableSplit = HelpX(kModTableSplit, dpi);
    const int tableRight = HelpX(kModTableRight, dpi);
    const int keyLeft = HelpX(kModTableLeft + kTextMargin - 1, dpi);
    const PixelBand header = HelpTableRowBand(-1, dpi);
    CellText(dc, style.boldFont, kKeyTableKeyHeader, keyLeft, tableSplit, header);
    CellText(dc, style.boldFont, kKeyTableCodeHeader, tableSplit, tableRight, header, DT_CENTER);
    const auto& modifiers = ModifierTableRows();
    PixelBand last = header;
    for (int i = 0; i < kHelpTableRowCount; ++i) {
        const PixelBand band = HelpTableRowBand(i, dpi);
        Line(dc, i == 0 ? kHeaderLine : kGridLine, tableLeft, band.top, tableRight, band.top);
        CellText(dc, style.font, modifiers[i].key, keyLeft, tableSplit, band);
        CellText(dc, style.font, modifiers[i].code, tableSplit, tableRight, band, DT_CENTER);
        last = band;
    }
    Line(dc, kGridLine, tableSplit, header.top, tableSplit, last.bottom);

    // Paragraphs 2 and 3, each with its two examples: the code in bold, then what it does,
    // the meanings of all examples in one column.
    int exampleCodeWidth = 0;
    for (std::size_t p = 1; p < paragraphs.size(); ++p) {
        for (const HelpExample& example : paragraphs[p].examples) {
            exampleCodeWidth = std::max(exampleCodeWidth,
                                        TextWidth(dc, style.boldFont, example.code));
        }
    }
    TEXTMETRICW metrics{};
    {
        SelectGuard select(dc, style.font);
        GetTextMetricsW(dc, &metrics);
    }
    const int lineHeight = metrics.tmHeight + metrics.tmExternalLeading + HelpY(2, dpi);
    const int codeLeft = HelpX(kHelpExampleIndent, dpi);
    const int meaningLeft = codeLeft + exampleCodeWidth + HelpX(kHelpExampleGap, dpi);

    int top = last.bottom + HelpY(kHelpParagraphGap, dpi);
    for (std::size_t p = 1; p < paragraphs.size(); ++p) {
        top = paragraph(paragraphs[p].text, top) + HelpY(2, dpi);
        for (const HelpExample& example : paragraphs[p].examples) {
            const PixelBand band{top, top + lineHeight};
            CellText(dc, style.boldFont, example.code, codeLeft, meaningLeft, band);
            CellText(dc, style.font, example.meaning, meaningLeft, right, band);
            top += lineHeight;
        }
        top += HelpY(kHelpParagraphGap, dpi);
    }
}

}  // namespace typomancer
