#include "screen.h"

#include <algorithm>
#include <vector>

namespace {

// One glyph per cell, so box characters and marked hotkeys line up.
struct Canvas {
    int width, height;
    std::vector<std::string> cells;

    Canvas(int w, int h) : width(w), height(h), cells((size_t)(w * h), " ") {}

    std::string &Glyph(int x, int y)
    {
        static std::string offCanvas;
        if (x >= 0 && x < width && y >= 0 && y < height)
            return cells[(size_t)(y * width + x)];
        return offCanvas = "";
    }

    void Put(int x, int y, const std::string &glyph)
    {
        Glyph(x, y) = glyph;
    }

    // Writes text from x; "&" marks the next letter as the hotkey, which is
    // shown underlined.
    int Text(int x, int y, const std::string &text)
    {
        bool hot = false;
        for (char c : text) {
            // A UTF-8 continuation byte belongs to the glyph before it.
            if (((unsigned char)c & 0xC0) == 0x80 && x > 0) {
                Glyph(x - 1, y) += c;
                continue;
            }
            if (c == '&' && !hot) {
                hot = true;
                continue;
            }
            Put(x++, y, hot ? std::string(1, c) + "\u0332" : std::string(1, c));
            hot = false;
        }
        return x;
    }

    void Box(int x1, int y1, int x2, int y2, const std::string &title)
    {
        for (int x = x1 + 1; x < x2; x++) {
            Put(x, y1, "═");
            Put(x, y2, "═");
        }
        for (int y = y1 + 1; y < y2; y++) {
            Put(x1, y, "║");
            Put(x2, y, "║");
        }
        Put(x1, y1, "╔");
        Put(x2, y1, "╗");
        Put(x1, y2, "╚");
        Put(x2, y2, "╝");
        if (!title.empty())
            Text(x1 + (x2 - x1 + 1 - (int)title.size() - 2) / 2, y1, " " + title + " ");
    }

    std::string Render() const
    {
        std::string out;
        for (int y = 0; y < height; y++) {
            for (int x = 0; x < width; x++)
                out += cells[(size_t)(y * width + x)];
            out += "\n";
        }
        return out;
    }
};

int VisibleLength(const std::string &text)
{
    return (int)std::count_if(text.begin(), text.end(),
                              [](char c) { return c != '&' && ((unsigned char)c & 0xC0) != 0x80; });
}

// The 1.75 host marks the default button by colour only.
std::string ButtonText(const FarDialogItem &item)
{
    return "[ " + std::string(item.Data) + " ]";
}

// Buttons flagged to centre as a group share their row, one space apart.
void CentreButtons(Canvas &canvas, const FarDialogItem *items, int count, int row)
{
    std::vector<const FarDialogItem *> group;
    for (int i = 0; i < count; i++)
        if (items[i].Type == DI_BUTTON && (items[i].Flags & DIF_CENTERGROUP) && items[i].Y1 == row)
            group.push_back(&items[i]);
    int total = -1;
    for (const FarDialogItem *item : group)
        total += VisibleLength(ButtonText(*item)) + 1;
    int x = (canvas.width - total) / 2;
    for (const FarDialogItem *item : group)
        x = canvas.Text(x, row, ButtonText(*item)) + 1;
}

const FarDialogItem *FrameOf(const FarDialogItem *items, int count)
{
    for (int i = 0; i < count; i++)
        if (items[i].Type == DI_DOUBLEBOX)
            return &items[i];
    return nullptr;
}

void Separator(Canvas &canvas, const FarDialogItem *frame, int row)
{
    int x1 = frame ? frame->X1 : 0, x2 = frame ? frame->X2 : canvas.width - 1;
    for (int x = x1 + 1; x < x2; x++)
        canvas.Put(x, row, "─");
    canvas.Put(x1, row, "╟");
    canvas.Put(x2, row, "╢");
}

} // namespace

std::string DrawDialog(int width, int height, const FarDialogItem *items, int count)
{
    Canvas canvas(width, height);
    const FarDialogItem *frame = FrameOf(items, count);
    for (int i = 0; i < count; i++) {
        const FarDialogItem &item = items[i];
        switch (item.Type) {
        case DI_DOUBLEBOX:
            canvas.Box(item.X1, item.Y1, item.X2, item.Y2, item.Data);
            break;
        case DI_RADIOBUTTON:
            canvas.Text(item.X1, item.Y1, std::string(item.Selected ? "(•) " : "( ) ") + item.Data);
            break;
        case DI_CHECKBOX:
            canvas.Text(item.X1, item.Y1, std::string(item.Selected ? "[x] " : "[ ] ") + item.Data);
            break;
        case DI_TEXT:
            if (item.Flags & DIF_SEPARATOR)
                Separator(canvas, frame, item.Y1);
            else
                canvas.Text(item.X1, item.Y1, item.Data);
            break;
        case DI_BUTTON:
            // A centred group is laid out once, by its last button.
            if (!(item.Flags & DIF_CENTERGROUP))
                canvas.Text(item.X1, item.Y1, ButtonText(item));
            else if (i + 1 == count || items[i + 1].Type != DI_BUTTON || items[i + 1].Y1 != item.Y1)
                CentreButtons(canvas, items, count, item.Y1);
            break;
        }
    }
    return canvas.Render();
}

std::string DrawMessage(const char *const *lines, int count)
{
    int width = 0;
    for (int i = 0; i < count; i++)
        width = std::max(width, VisibleLength(lines[i]) + 2);
    width += 4;
    Canvas canvas(width, count + 1);
    canvas.Box(0, 0, width - 1, count, count ? lines[0] : "");
    for (int i = 1; i < count; i++)
        canvas.Text(3, i, lines[i]);
    return canvas.Render();
}
