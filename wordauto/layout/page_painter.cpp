#include "wordauto/layout/page_painter.h"

#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>

namespace wordauto::layout {

namespace {

// The layout's fonts, sized for the painter's device: the painter scales points to device
// pixels, so a font must come out `size` units high after that scale.
std::vector<QFont> deviceFonts(const DocumentLayout& layout, const QPaintDevice* device)
{
    const qreal dpi = device ? device->logicalDpiY() : 72;
    std::vector<QFont> fonts;
    fonts.reserve(layout.fonts.size());
    for (QFont f : layout.fonts) {
        f.setPointSizeF(f.pointSizeF() * 72.0 / dpi);
        fonts.push_back(f);
    }
    return fonts;
}

void paintItems(QPainter& painter, const DocumentLayout& layout, const std::vector<QFont>& fonts,
                const Items& items)
{
    for (const auto& f : items.fills)
        painter.fillRect(f.rect, QColor::fromRgba(f.color));
    for (const auto& i : items.images)
        if (i.image >= 0 && static_cast<std::size_t>(i.image) < layout.images.size())
            painter.drawImage(i.rect, layout.images[static_cast<std::size_t>(i.image)]);
    int current = -1;
    for (const auto& t : items.texts) {
        if (t.font != current && t.font >= 0 && static_cast<std::size_t>(t.font) < fonts.size()) {
            painter.setFont(fonts[static_cast<std::size_t>(t.font)]);
            current = t.font;
        }
        painter.setPen(QColor::fromRgba(t.color));
        painter.drawText(t.baseline, t.text);
        if (t.underline || t.strike) {
            const qreal size = layout.fonts[static_cast<std::size_t>(t.font)].pointSizeF();
            const qreal y = t.baseline.y() + (t.underline ? size * 0.1 : -size * 0.3);
            painter.setPen(QPen(QColor::fromRgba(t.color), size * 0.06));
            painter.drawLine(QPointF(t.baseline.x(), y), QPointF(t.baseline.x() + t.width, y));
        }
    }
    for (const auto& l : items.lines) {
        painter.setPen(QPen(QColor::fromRgba(l.color), l.width, Qt::SolidLine, Qt::SquareCap));
        painter.drawLine(l.line);
    }
    painter.setBrush(Qt::NoBrush);
    for (const auto& b : items.boxes) {
        painter.setPen(QPen(Qt::black, 0.5));
        painter.drawRect(b.rect);
        if (b.crossed) {
            painter.drawLine(b.rect.topLeft(), b.rect.bottomRight());
            painter.drawLine(b.rect.topRight(), b.rect.bottomLeft());
        }
    }
}

} // namespace

void paintPage(QPainter& painter, const DocumentLayout& layout, const Page& page)
{
    const auto fonts = deviceFonts(layout, painter.device());
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    paintItems(painter, layout, fonts, page.items);
    painter.restore();
}

bool paintDocument(QPagedPaintDevice& device, const DocumentLayout& layout)
{
    auto pageLayout = [](const Page& p) {
        return QPageLayout(QPageSize(p.size, QPageSize::Point, QString(), QPageSize::ExactMatch),
                           QPageLayout::Portrait, QMarginsF(0, 0, 0, 0));
    };
    if (!layout.pages.empty())
        device.setPageLayout(pageLayout(layout.pages.front()));
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    const auto fonts = deviceFonts(layout, &device);
    const qreal scaleX = device.logicalDpiX() / 72.0, scaleY = device.logicalDpiY() / 72.0;
    for (std::size_t i = 0; i < layout.pages.size(); ++i) {
        if (i > 0) {
            device.setPageLayout(pageLayout(layout.pages[i]));
            if (!device.newPage())
                return false;
        }
        painter.save();
        painter.scale(scaleX, scaleY);
        painter.setRenderHint(QPainter::Antialiasing);
        paintItems(painter, layout, fonts, layout.pages[i].items);
        painter.restore();
    }
    return painter.end();
}

} // namespace wordauto::layout
