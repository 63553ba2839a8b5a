// How the grid paints (win32_grid.h): only the rows the update region touches.
#include <toolkit/win32/win32_grid.h>

#include <algorithm>

namespace orvane::win32 {
namespace {

constexpr int kTextMargin = 3;  // pixels between a cell's edge and its text

UINT HorizontalAlignment(std::int16_t alignment) noexcept {
    if (alignment >= 3 && alignment <= 5) return DT_CENTER;
    if (alignment >= 6 && alignment <= 8) return DT_RIGHT;
    return DT_LEFT;
}

}  // namespace

// Paints the rows that the update region touches, and nothing of the rows out of view,
// into a bitmap first so that nothing flickers.
void Win32Grid::paint() noexcept {
    invalid_ = false;
    PAINTSTRUCT ps{};
    HDC dc = BeginPaint(window_, &ps);
    if (!dc) return;
    const RECT area = ps.rcPaint;
    const int width = area.right - area.left, height = area.bottom - area.top;
    if (width > 0 && height > 0) {
        HDC memory = CreateCompatibleDC(dc);
        HBITMAP bitmap = CreateCompatibleBitmap(dc, width, height);
        const HGDIOBJ old_bitmap = SelectObject(memory, bitmap);
        SetViewportOrgEx(memory, -area.left, -area.top, nullptr);
        FillRect(memory, &area, colours_.backBrush());
        const HGDIOBJ old_font = SelectObject(memory, FontHandle(font_.get()));
        SetBkMode(memory, TRANSPARENT);
        const int first = top_row_ + std::max(0, static_cast<int>(area.top)) / row_height_;
        const int last = std::min(cells_.rows() - 1, top_row_ + (static_cast<int>(area.bottom) - 1) / row_height_);
        for (int row = first; row <= last; ++row) paintRow(memory, row, area);
        SelectObject(memory, old_font);
        SetViewportOrgEx(memory, 0, 0, nullptr);
        BitBlt(dc, area.left, area.top, width, height, memory, 0, 0, SRCCOPY);
        SelectObject(memory, old_bitmap);
        DeleteObject(bitmap);
        DeleteDC(memory);
    }
    EndPaint(window_, &ps);
}

void Win32Grid::paintRow(HDC dc, int row, const RECT& clip) noexcept {
    const bool focused = GetFocus() == window_;
    HPEN line = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_3DFACE));
    const HGDIOBJ old_pen = SelectObject(dc, line);
    for (int col = 0; col < cells_.cols(); ++col) {
        RECT cell = cellRect(row, col);
        if (cell.right <= cell.left || cell.right <= clip.left || cell.left >= clip.right) continue;
        const Cell& content = cells_.at(row, col);
        // The current row's name cell carries the highlight.
        const bool highlighted = row == row_ && col == 0;
        if (highlighted) FillRect(dc, &cell, GetSysColorBrush(COLOR_HIGHLIGHT));
        SetTextColor(dc, highlighted ? GetSysColor(COLOR_HIGHLIGHTTEXT) : colours_.fore());
        RECT text = cell;
        text.left += kTextMargin;
        text.right -= kTextMargin;
        if (content.choice) {
            // The drop-down glyph at the cell's end, as the system draws a combo box's button.
            RECT glyph{std::max(cell.left, cell.right - row_height_), cell.top + 1, cell.right - 1, cell.bottom - 1};
            DrawFrameControl(dc, &glyph, DFC_SCROLL, DFCS_SCROLLCOMBOBOX);
            text.right = glyph.left - 1;
        }
        if (text.right > text.left && !content.text.empty())
            DrawTextW(dc, reinterpret_cast<const wchar_t*>(content.text.data()), static_cast<int>(content.text.size()),
                      &text, HorizontalAlignment(content.alignment) | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX |
                                 DT_END_ELLIPSIS);
        // Grid lines along the cell's right and bottom edges.
        MoveToEx(dc, cell.right - 1, cell.top, nullptr);
        LineTo(dc, cell.right - 1, cell.bottom - 1);
        LineTo(dc, cell.left - 1, cell.bottom - 1);
        if (focused && row == row_ && col == col_) {
            RECT ring = cell;
            InflateRect(&ring, -1, -1);
            DrawFocusRect(dc, &ring);
        }
    }
    SelectObject(dc, old_pen);
    DeleteObject(line);
}

}  // namespace orvane::win32
