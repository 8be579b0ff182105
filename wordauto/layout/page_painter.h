#pragma once

#include "wordauto/layout/page.h"

#include <QString>

class QPainter;
class QPagedPaintDevice;

namespace wordauto::layout {

// Draws one page with the painter; the painter's units must be points (1/72 inch).
void paintPage(QPainter& painter, const DocumentLayout& layout, const Page& page);

// Draws every page on a paged device (a PDF writer, a printer), each page its own size.
// False when the device could not be painted on.
bool paintDocument(QPagedPaintDevice& device, const DocumentLayout& layout);

} // namespace wordauto::layout
