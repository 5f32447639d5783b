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
std::string ButtonText(const DrawnItem &item)
{
    return "[ " + item.text + " ]";
}

// Buttons flagged to centre as a group share their row, one space apart.
void CentreButtons(Canvas &canvas, const std::vector<DrawnItem> &items, int row)
{
    std::vector<const DrawnItem *> group;
    for (const DrawnItem &item : items)
        if (item.type == DrawnButton && (item.flags & DrawnCenterGroup) && item.y1 == row)
            group.push_back(&item);
    int total = -1;
    for (const DrawnItem *item : group)
        total += VisibleLength(ButtonText(*item)) + 1;
    int x = (canvas.width - total) / 2;
    for (const DrawnItem *item : group)
        x = canvas.Text(x, row, ButtonText(*item)) + 1;
}

const DrawnItem *FrameOf(const std::vector<DrawnItem> &items)
{
    for (const DrawnItem &item : items)
        if (item.type == DrawnDoubleBox)
            return &item;
    return nullptr;
}

void Separator(Canvas &canvas, const DrawnItem *frame, int row)
{
    int x1 = frame ? frame->x1 : 0, x2 = frame ? frame->x2 : canvas.width - 1;
    for (int x = x1 + 1; x < x2; x++)
        canvas.Put(x, row, "─");
    canvas.Put(x1, row, "╟");
    canvas.Put(x2, row, "╢");
}

} // namespace

std::string DrawDialog(int width, int height, const std::vector<DrawnItem> &items)
{
    Canvas canvas(width, height);
    const DrawnItem *frame = FrameOf(items);
    for (size_t i = 0; i < items.size(); i++) {
        const DrawnItem &item = items[i];
        switch (item.type) {
        case DrawnDoubleBox:
            canvas.Box(item.x1, item.y1, item.x2, item.y2, item.text);
            break;
        case DrawnRadioButton:
            canvas.Text(item.x1, item.y1, (item.selected ? "(•) " : "( ) ") + item.text);
            break;
        case DrawnCheckBox:
            canvas.Text(item.x1, item.y1, (item.selected ? "[x] " : "[ ] ") + item.text);
            break;
        case DrawnEdit:
            // The history's arrow follows the line.
            canvas.Text(item.x1, item.y1, item.text);
            if (item.flags & DrawnHistory)
                canvas.Put(item.x2 + 1, item.y1, "↓");
            break;
        case DrawnText:
            if (item.flags & DrawnSeparator)
                Separator(canvas, frame, item.y1);
            else
                canvas.Text(item.x1, item.y1, item.text);
            break;
        case DrawnButton:
            // A centred group is laid out once, by its last button.
            if (!(item.flags & DrawnCenterGroup))
                canvas.Text(item.x1, item.y1, ButtonText(item));
            else if (i + 1 == items.size() || items[i + 1].type != DrawnButton || items[i + 1].y1 != item.y1)
                CentreButtons(canvas, items, item.y1);
            break;
        }
    }
    return canvas.Render();
}

std::string DrawMessage(const std::vector<std::string> &lines)
{
    int width = 0, count = (int)lines.size();
    for (const std::string &line : lines)
        width = std::max(width, VisibleLength(line) + 2);
    width += 4;
    Canvas canvas(width, count + 1);
    canvas.Box(0, 0, width - 1, count, count ? lines[0] : "");
    for (int i = 1; i < count; i++)
        canvas.Text(3, i, lines[(size_t)i]);
    return canvas.Render();
}
