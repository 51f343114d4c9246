#include "app/transfer/SheetPrint.h"

#include "app/window/LanguageAndFace.h"
#include "card/layout/Layout.h"

#include <QFontMetricsF>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPainterPath>
#include <QTextLayout>

#include <algorithm>
#include <vector>

namespace app {

namespace {

using layout::Item;
using layout::Kind;

constexpr double TwipsPerInch = 1440.0;
constexpr int Pad = 45;            // between a box's border and its text
constexpr int HeaderHeight = 480;  // the heading line of every page and the space under it
constexpr int SheetFontSize = 180; // 9 pt, in twips
constexpr int HeaderFontSize = 220;
constexpr int NoteFontSize = 200;

// The window's sans face, with Latin letters and digits from a Latin sans face first: in a run
// without Chinese, Qt's PDF writer leaves the CJK face's digits out of the text layer ("58 kg" reads
// "kg").
QFont printFont(int twips, bool bold = false)
{
    QFont font = interfaceFont();
    font.setFamilies(QStringList{QStringLiteral("DejaVu Sans")} + font.families());
    font.setPixelSize(twips); // the painter works in twips
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

// The text's paragraphs wrapped at width: the lines as they are printed.
QStringList wrapLines(const QString& text, const QFont& font, double width)
{
    QStringList lines;
    QString normalized = text;
    normalized.replace(QLatin1String("\r\n"), QLatin1String("\n"))
        .replace(QLatin1Char('\r'), QLatin1Char('\n'));
    const QStringList paragraphs = normalized.split(QLatin1Char('\n'));
    for (const QString& paragraph : paragraphs) {
        if (paragraph.isEmpty()) {
            lines << QString();
            continue;
        }
        QTextLayout layout(paragraph, font);
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            lines << paragraph.mid(line.textStart(), line.textLength());
        }
        layout.endLayout();
    }
    return lines;
}

// A box whose text does not fit: shown in full after the sheet.
struct Continuation
{
    int field = 0;
    QString text;
};

class Renderer
{
public:
    Renderer(QPagedPaintDevice& device, const card::Sheet& sheet, const QDate& date)
        : m_device(device), m_sheet(sheet), m_date(date.toString(QStringLiteral("yyyy-MM-dd")))
    {
        const double dpi = device.logicalDpiX();
        m_scale = dpi / TwipsPerInch;
        m_width = device.width() / m_scale;
        m_height = device.height() / m_scale;
        const double room = m_height - HeaderHeight;
        m_fit = std::min({1.0, m_width / layout::ClientWidth, room / layout::ClientHeight});
        m_name = sheet.text[0];
        markSidePanelSections();
    }

    // The side panel's card sections moved up by this much: from under the list and the buttons,
    // which are no part of a card, to the top of the page beside them.
    int panelLift() const
    {
        int top = layout::ClientHeight;
        for (const Item& item : layout::items()) {
            if (item.kind == Kind::Frame && m_sidePanelCard[static_cast<size_t>(layout::positionOf(item))])
                top = std::min(top, layout::absoluteRect(item).top);
        }
        return std::max(0, top - layout::absoluteRect(*layout::find(Kind::Page, 0)).top);
    }

    int run()
    {
        if (!m_painter.begin(&m_device))
            return 0;
        const QStringList titles = SheetPrint::pageTitles();
        for (int p = 0; p < titles.size(); ++p) {
            if (p > 0)
                m_device.newPage();
            header(titles[p]);
            sheetPage(p);
        }
        continuationPages();
        m_painter.end();
        return m_pages;
    }

private:
    void header(const QString& title)
    {
        ++m_pages;
        m_painter.resetTransform();
        m_painter.scale(m_scale, m_scale);
        m_painter.setPen(Qt::black);
        m_painter.setFont(printFont(HeaderFontSize, true));
        const QRectF line(0, 0, m_width, HeaderHeight - 120);
        m_painter.drawText(line, Qt::AlignLeft | Qt::AlignVCenter, m_name + QStringLiteral(" — ") + title);
        m_painter.setFont(printFont(HeaderFontSize));
        m_painter.drawText(line, Qt::AlignRight | Qt::AlignVCenter, m_date);
        m_painter.setPen(QPen(Qt::black, 10));
        m_painter.drawLine(QPointF(0, HeaderHeight - 90), QPointF(m_width, HeaderHeight - 90));
    }

    // Whether an item is drawn on sheet page p: the page's own contents, and on the first page the side
    // panel's sections that hold card fields (the list, the buttons and the settings are no part of a
    // card).
    bool drawnOn(const Item& item, int p) const
    {
        switch (item.kind) {
        case Kind::Frame:
        case Kind::Field:
        case Kind::Caption:
        case Kind::Decoration:
        case Kind::CheckWN:
        case Kind::CheckF:
            break;
        default:
            return false;
        }
        if (item.page >= 0)
            return item.page == p;
        return p == 0 && m_sidePanelCard[static_cast<size_t>(layout::positionOf(item))];
    }

    // Marks the side-panel items that belong to a section holding card fields.
    void markSidePanelSections()
    {
        const std::vector<Item>& all = layout::items();
        m_sidePanelCard.assign(all.size(), false);
        // The section of an item: its outermost frame below the side panel.
        const auto section = [](const Item& item) -> const Item* {
            const Item* s = &item;
            while (s->parent >= 0 && layout::parentOf(*s)->kind != Kind::SidePanel)
                s = layout::parentOf(*s);
            return s->parent >= 0 ? s : nullptr;
        };
        std::vector<bool> holdsFields(all.size(), false);
        for (const Item& item : all) {
            if (item.page < 0 && item.kind == Kind::Field && section(item))
                holdsFields[static_cast<size_t>(layout::positionOf(*section(item)))] = true;
        }
        for (const Item& item : all) {
            const Item* s = item.page < 0 ? section(item) : nullptr;
            m_sidePanelCard[static_cast<size_t>(layout::positionOf(item))] =
                s && holdsFields[static_cast<size_t>(layout::positionOf(*s))];
        }
    }

    // The first page beside the side panel, as the window shows them; the others alone, in the middle.
    void sheetPage(int p)
    {
        const layout::Rect page = layout::absoluteRect(*layout::find(Kind::Page, p));
        const int left = p == 0 ? 0 : page.left;
        const int width = p == 0 ? layout::ClientWidth : page.width;
        const int lift = panelLift();
        m_painter.resetTransform();
        m_painter.scale(m_scale, m_scale);
        m_painter.translate(std::max(0.0, (m_width - width * m_fit) / 2), HeaderHeight);
        m_painter.scale(m_fit, m_fit);
        m_painter.translate(-left, 0);
        for (const Item& item : layout::items()) {
            if (!drawnOn(item, p))
                continue;
            const layout::Rect r = layout::absoluteRect(item);
            const QRectF rect(r.left, r.top - (item.page < 0 ? lift : 0), r.width, r.height);
            switch (item.kind) {
            case Kind::Frame:
                frame(rect, item.text);
                break;
            case Kind::Field:
                field(rect, item);
                break;
            case Kind::CheckWN:
                tick(rect, m_sheet.checkWN[static_cast<size_t>(item.index)]);
                break;
            case Kind::CheckF:
                tick(rect, m_sheet.checkF[static_cast<size_t>(item.index)]);
                break;
            default:
                label(rect, item);
            }
        }
    }

    void frame(const QRectF& rect, const QString& title)
    {
        const QFont font = printFont(SheetFontSize);
        const QFontMetricsF metrics(font);
        const double lineTop = title.isEmpty() ? 0 : metrics.height() / 2;
        m_painter.setPen(QPen(Qt::darkGray, 8));
        m_painter.setBrush(Qt::NoBrush);
        m_painter.drawRoundedRect(rect.adjusted(0, lineTop, 0, 0), 30, 30);
        if (title.isEmpty())
            return;
        const QRectF caption(rect.left() + 90, rect.top(), metrics.horizontalAdvance(title) + 60,
                             metrics.height());
        m_painter.fillRect(caption, Qt::white);
        m_painter.setPen(Qt::black);
        m_painter.setFont(font);
        m_painter.drawText(caption, Qt::AlignCenter, title);
    }

    void label(const QRectF& rect, const Item& item)
    {
        m_painter.setPen(Qt::black);
        m_painter.setFont(printFont(SheetFontSize));
        m_painter.drawText(rect, static_cast<int>(item.align) | (item.wordWrap ? Qt::TextWordWrap : 0),
                           item.text);
    }

    void tick(const QRectF& rect, bool ticked)
    {
        const double side = std::min(rect.width(), rect.height());
        const QRectF box(rect.center().x() - side / 2, rect.center().y() - side / 2, side, side);
        m_painter.setPen(QPen(Qt::black, 10));
        m_painter.setBrush(Qt::NoBrush);
        m_painter.drawRect(box);
        if (!ticked)
            return;
        QPainterPath mark;
        mark.moveTo(box.left() + side * 0.2, box.top() + side * 0.55);
        mark.lineTo(box.left() + side * 0.42, box.top() + side * 0.78);
        mark.lineTo(box.left() + side * 0.82, box.top() + side * 0.22);
        m_painter.setPen(QPen(Qt::black, side * 0.14, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        m_painter.drawPath(mark);
    }

    QString fieldText(int index) const
    {
        return index == card::ReferenceField ? card::referenceText()
                                             : m_sheet.text[static_cast<size_t>(index)];
    }

    void field(const QRectF& rect, const Item& item)
    {
        m_painter.setPen(QPen(Qt::gray, 8));
        m_painter.setBrush(Qt::NoBrush);
        m_painter.drawRect(rect);
        const QString text = fieldText(item.index);
        if (text.isEmpty())
            return;
        QFont font = printFont(SheetFontSize);
        const QRectF inner = rect.adjusted(Pad, Pad / 2.0, -Pad, -Pad / 2.0);
        QStringList lines;
        bool fits;
        if (item.multiLine) {
            lines = wrapLines(text, font, inner.width());
            fits = lines.size() * QFontMetricsF(font).lineSpacing() <= inner.height() + 1;
            // The fixed reference note is nothing typed: it is made to fit its box.
            while (!fits && item.readOnly && font.pixelSize() > SheetFontSize / 2) {
                font.setPixelSize(font.pixelSize() - 10);
                lines = wrapLines(text, font, inner.width());
                fits = lines.size() * QFontMetricsF(font).lineSpacing() <= inner.height() + 1;
            }
        } else {
            const bool oneLine = !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r'));
            fits = oneLine && QFontMetricsF(font).horizontalAdvance(text) <= inner.width();
            lines << (fits ? text : wrapLines(text, font, 1e9).join(QLatin1Char(' ')));
        }
        const QFontMetricsF metrics(font);
        m_painter.setFont(font);
        m_painter.setPen(Qt::black);
        m_painter.save();
        m_painter.setClipRect(rect);
        QString marker;
        if (!fits) {
            m_continued.push_back({item.index, text});
            marker = QStringLiteral("续%1").arg(m_continued.size());
        }
        const double markerWidth = marker.isEmpty() ? 0 : metrics.horizontalAdvance(marker) + Pad;
        double y = item.multiLine ? inner.top() : inner.center().y() - metrics.height() / 2;
        const int shown = item.multiLine ? std::max(1, int(inner.height() / metrics.lineSpacing())) : 1;
        for (int i = 0; i < std::min<qsizetype>(shown, lines.size()); ++i) {
            QString line = lines[i];
            const bool last = i + 1 == shown || i + 1 == lines.size();
            if (!fits && last)
                line = metrics.elidedText(line, Qt::ElideRight, inner.width() - markerWidth);
            m_painter.drawText(QPointF(inner.left(), y + metrics.ascent()), line);
            y += metrics.lineSpacing();
        }
        m_painter.restore();
        if (!marker.isEmpty()) {
            const double mh = metrics.height();
            const QRectF tag(rect.right() - markerWidth, rect.bottom() - mh - 8, markerWidth - 8, mh);
            m_painter.fillRect(tag, QColor(235, 235, 235));
            m_painter.setPen(Qt::black);
            m_painter.drawText(tag, Qt::AlignCenter, marker);
        }
    }

    // Every text that did not fit, in full, page after page.
    void continuationPages()
    {
        if (m_continued.empty())
            return;
        const QFont titleFont = printFont(NoteFontSize, true);
        const QFont font = printFont(NoteFontSize);
        const QFontMetricsF metrics(font);
        const double step = metrics.lineSpacing();
        double y = m_height; // forces the first page
        const auto newPage = [&] {
            m_device.newPage();
            header(QStringLiteral("续页"));
            y = HeaderHeight;
        };
        for (size_t k = 0; k < m_continued.size(); ++k) {
            const Continuation& c = m_continued[k];
            if (y + 3 * step > m_height)
                newPage();
            else
                y += step / 2;
            m_painter.setFont(titleFont);
            m_painter.setPen(Qt::black);
            const QString caption = layout::find(Kind::Field, c.field)->name;
            m_painter.drawText(QPointF(0, y + metrics.ascent()),
                               QStringLiteral("续%1　%2（字段 %3）").arg(k + 1).arg(caption).arg(c.field));
            y += step * 1.2;
            m_painter.setFont(font);
            for (const QString& line : wrapLines(c.text, font, m_width)) {
                if (y + step > m_height) {
                    newPage();
                    m_painter.setFont(font);
                    m_painter.setPen(Qt::black);
                }
                m_painter.drawText(QPointF(0, y + metrics.ascent()), line);
                y += step;
            }
        }
    }

    QPagedPaintDevice& m_device;
    const card::Sheet& m_sheet;
    QString m_date;
    QString m_name;
    QPainter m_painter;
    double m_scale = 1; // device units per twip
    double m_width = 0; // the printable area, in twips
    double m_height = 0;
    double m_fit = 1; // the sheet's reduction to fit under the heading
    int m_pages = 0;
    std::vector<Continuation> m_continued;
    std::vector<bool> m_sidePanelCard; // by position in the layout table
};

} // namespace

QStringList SheetPrint::pageTitles()
{
    const Item* strip = layout::find(Kind::TabStrip, 1);
    return strip ? strip->choices : QStringList();
}

int SheetPrint::render(QPagedPaintDevice& device, const card::Sheet& sheet, const QDate& date)
{
    return Renderer(device, sheet, date).run();
}

} // namespace app
