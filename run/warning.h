// The lines of the warning after a run, for either character type: each
// fits the host's message box on an 80-column screen.
#pragma once

#include "messages.h"
#include "report.h"

enum : size_t {
    // The host cuts a message line at about 15 columns less than the
    // screen's width; 64 fits an 80-column screen.
    WarningWidth = 64,
    // The title, the count, the entries and how many more there were; all
    // but the title are the module's own texts.
    WarningLines = ReportedEntries + 3,
    WarningTexts = WarningLines - 1,
};

template <class Char> struct WarningLine {
    Char text[WarningWidth + 1];
};

// text cut to width characters (at most WarningWidth) by "..." in its
// middle, keeping more of its end, where a path's file name is.
template <class Char> void ShortenMiddle(const Char *text, size_t width, Char *out)
{
    size_t length = TextLength(text);
    if (length <= width) {
        memcpy(out, text, (length + 1) * sizeof(Char));
        return;
    }
    size_t head = (width - 3) / 3, tail = width - 3 - head;
    memcpy(out, text, head * sizeof(Char));
    for (size_t i = 0; i < 3; i++)
        out[head + i] = '.';
    memcpy(out + head + 3, text + length - tail, (tail + 1) * sizeof(Char));
}

// The message with its "%d" replaced by count, cut to the line. The text is
// the catalogue's, so it is never used as a format of its own.
template <class Char> void WithCount(const Char *message, size_t count, WarningLine<Char> &line)
{
    Char digits[24];
    size_t ndigits = 0;
    do
        digits[ndigits++] = Char('0' + count % 10);
    while (count /= 10);
    size_t at = 0;
    bool replaced = false;
    for (const Char *from = message; *from && at < WarningWidth; from++) {
        if (!replaced && from[0] == '%' && from[1] == 'd') {
            for (; ndigits > 0 && at < WarningWidth; ndigits--)
                line.text[at++] = digits[ndigits - 1];
            replaced = true;
            from++;
        } else {
            line.text[at++] = *from;
        }
    }
    line.text[at] = 0;
}

// "name: reason", the name relative to the panel's folder when it lies in
// it, shortened to fit the line; a reason is cut at half the line.
template <class Char> void UnconvertedLine(const Char *path, const Char *folder, const Char *reason, WarningLine<Char> &line)
{
    const Char *name = path + InsideFolder(path, folder);
    size_t reasonLength = 0;
    while (reasonLength < WarningWidth / 2 && reason[reasonLength])
        reasonLength++;
    ShortenMiddle(name, WarningWidth - 2 - reasonLength, line.text);
    size_t at = TextLength(line.text);
    line.text[at++] = ':';
    line.text[at++] = ' ';
    memcpy(line.text + at, reason, reasonLength * sizeof(Char));
    line.text[at + reasonLength] = 0;
}

// The warning's lines into lines (WarningLines of them at most), their
// texts kept in text (WarningTexts of them); message(n) gives the
// catalogue's text n, reason(why) the number of an outcome's text. Returns
// how many lines there are, 0 when the run converted everything.
template <class Char, class Path, class Message, class Reason>
size_t ListUnconverted(const RunReport<Path> &report, const Char *folder, Message message, Reason reason,
                       WarningLine<Char> *text, const Char **lines)
{
    if (report.count == 0)
        return 0;
    size_t count = 0, listed = report.Listed();
    lines[count++] = message(MsgTitle);
    WithCount(message(MsgNotConverted), report.count, text[0]);
    lines[count++] = text[0].text;
    for (size_t i = 0; i < listed; i++) {
        const UnconvertedEntry<Path> &entry = report.first[i];
        UnconvertedLine(PathText(entry.path), folder, message(reason(entry.why)), text[i + 1]);
        lines[count++] = text[i + 1].text;
    }
    if (report.count > listed) {
        WithCount(message(MsgAndMore), report.count - listed, text[listed + 1]);
        lines[count++] = text[listed + 1].text;
    }
    return count;
}
