#pragma once

// What a laid-out page is: positioned text, lines, fills, form-field boxes and pictures, in
// points from the page's top left corner. Drawing it needs nothing but a painter.

#include <QFont>
#include <QImage>
#include <QLineF>
#include <QPointF>
#include <QRectF>
#include <QRgb>
#include <QSizeF>
#include <QString>

#include <vector>

namespace wordauto::layout {

struct TextItem {
    QPointF baseline; // left end of the baseline
    QString text;
    int font = 0;     // into DocumentLayout::fonts
    QRgb color = 0xff000000u;
    bool underline = false;
    bool strike = false;
    qreal width = 0;  // advance, for the underline
};

struct LineItem {
    QLineF line;
    qreal width = 0.5;
    QRgb color = 0xff000000u;
};

struct FillItem {
    QRectF rect;
    QRgb color;
};

// A check box form field: a square, crossed when ticked.
struct BoxItem {
    QRectF rect;
    bool crossed = false;
};

// Where a form field of the main story stands: one rectangle for each line it covers.
struct FieldItem {
    QRectF rect;
    int field = 0; // position among the main story's form fields, from 0
};

struct ImageItem {
    QRectF rect;
    int image = 0; // into DocumentLayout::images
};

// Items of a page, or of a piece of one not yet placed.
struct Items {
    std::vector<FillItem> fills;
    std::vector<ImageItem> images;
    std::vector<TextItem> texts;
    std::vector<LineItem> lines;
    std::vector<BoxItem> boxes;
    std::vector<FieldItem> fields; // not drawn: where the form fields are

    // Appends other's items moved by offset.
    void append(const Items& other, QPointF offset);
    bool empty() const
    {
        return fills.empty() && images.empty() && texts.empty() && lines.empty() && boxes.empty()
               && fields.empty();
    }
};

struct Page {
    QSizeF size; // points
    int section = 0;
    int number = 1; // the number its PAGE field shows
    Items items;
};

struct DocumentLayout {
    std::vector<Page> pages;
    std::vector<QFont> fonts;
    std::vector<QImage> images;
};

} // namespace wordauto::layout
