#include "wordauto/layout/flow.h"
#include "wordauto/layout/fonts.h"

#include "wordauto/oxml/document_model.h"
#include "wordauto/word_error.h"
#include "wordauto/oxml/xml_util.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QImageReader>
#include <QRawFont>

#include <algorithm>

namespace wordauto::layout {

namespace {

// A 72-dpi device: one pixel of layout is one point of paper.
QImage pointDevice()
{
    QImage image(1, 1, QImage::Format_ARGB32);
    const int dotsPerMeter = static_cast<int>(72 / 0.0254 + 0.5);
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    return image;
}

pugi::xml_node stylesRoot(detail::DocumentModel& doc)
{
    try {
        if (auto* xml = doc.relatedXml(opc::reltype::styles, false))
            return xml->document_element();
    } catch (const WordError&) {
        // A damaged styles part: the document is laid out with Word's defaults.
    }
    return {};
}

} // namespace

void Items::append(const Items& other, QPointF offset)
{
    for (const auto& f : other.fills)
        fills.push_back(FillItem{f.rect.translated(offset), f.color});
    for (const auto& i : other.images)
        images.push_back(ImageItem{i.rect.translated(offset), i.image});
    for (const auto& t : other.texts) {
        texts.push_back(t);
        texts.back().baseline += offset;
    }
    for (const auto& l : other.lines)
        lines.push_back(LineItem{l.line.translated(offset), l.width, l.color});
    for (const auto& b : other.boxes)
        boxes.push_back(BoxItem{b.rect.translated(offset), b.crossed});
    for (const auto& f : other.fields)
        fields.push_back(FieldItem{f.rect.translated(offset), f.field});
}

LayoutContext::LayoutContext(detail::DocumentModel& doc, DocumentLayout& out)
    : doc_(doc), out_(out), styles_(stylesRoot(doc)), device_(pointDevice())
{
    storyPart = doc.mainPartName();
    const auto& formFields = doc.fields();
    for (std::size_t i = 0; i < formFields.count(); ++i)
        formFields_.emplace(formFields.at(i).begin.internal_object(), static_cast<int>(i));
    try {
        if (auto* settings = doc.relatedXml(opc::reltype::settings, false)) {
            auto tab = settings->document_element().child("w:defaultTabStop").attribute("w:val");
            if (tab)
                defaultTab_ = std::clamp(tab.as_double(720) / 20.0, 1.0, 1584.0);
        }
    } catch (const WordError&) {
    }
}

int LayoutContext::formFieldAt(pugi::xml_node begin) const
{
    // Headers and footers share no nodes with the main story: their fields are not found.
    auto it = formFields_.find(begin.internal_object());
    return it == formFields_.end() ? -1 : it->second;
}

const LayoutContext::RunFont& LayoutContext::runFont(const RunProps& r)
{
    const bool bold = r.bold.value_or(false), italic = r.italic.value_or(false);
    const bool caps = r.caps.value_or(false), smallCaps = r.smallCaps.value_or(false);
    auto key = std::make_tuple(r.font.value_or("Times New Roman"), r.size.value_or(10),
                               (bold ? 1 : 0) | (italic ? 2 : 0) | (caps ? 4 : 0) | (smallCaps ? 8 : 0));
    if (auto it = runFonts_.find(key); it != runFonts_.end())
        return it->second;
    QFont f = layoutFont(QString::fromStdString(std::get<0>(key)), std::get<1>(key), bold, italic);
    if (caps)
        f.setCapitalization(QFont::AllUppercase);
    else if (smallCaps)
        f.setCapitalization(QFont::SmallCaps);
    RunFont run{f, fontIndex(f), lineMetrics(f)};
    return runFonts_.emplace(std::move(key), std::move(run)).first->second;
}

int LayoutContext::fontIndex(const QFont& font)
{
    const QString key = font.key();
    auto [it, inserted] = fonts_.try_emplace(key, static_cast<int>(out_.fonts.size()));
    if (inserted)
        out_.fonts.push_back(font);
    return it->second;
}

LayoutContext::LineMetrics LayoutContext::lineMetrics(const QFont& font)
{
    const QString key = font.key();
    if (auto it = lineMetrics_.find(key); it != lineMetrics_.end())
        return it->second;
    const QFontMetricsF metrics(font, &device_);
    qreal height = metrics.ascent() + metrics.descent();
    const QRawFont raw = QRawFont::fromFont(font);
    const QByteArray hhea = raw.isValid() ? raw.fontTable("hhea") : QByteArray();
    if (hhea.size() >= 10 && raw.unitsPerEm() > 0) {
        auto s16 = [&](int at) {
            return static_cast<qint16>((static_cast<quint8>(hhea[at]) << 8) | static_cast<quint8>(hhea[at + 1]));
        };
        const qreal units = s16(4) - s16(6) + s16(8);
        height = std::max(height, units * font.pointSizeF() / raw.unitsPerEm());
    }
    const LineMetrics m{height, metrics.descent()};
    lineMetrics_.emplace(key, m);
    return m;
}

int LayoutContext::imageIndex(const std::string& relationshipId)
{
    if (relationshipId.empty())
        return -1;
    std::string part;
    try {
        for (const auto& rel : doc_.package().relationships(storyPart))
            if (rel.id == relationshipId && !rel.external)
                part = opc::Package::resolveTarget(storyPart, rel.target);
        if (part.empty() || !doc_.package().hasPart(part))
            return -1;
        if (auto it = images_.find(part); it != images_.end())
            return it->second;
        const std::string& bytes = doc_.package().part(part);
        QByteArray data = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
        QBuffer buffer(&data);
        QImageReader reader(&buffer);
        // A picture that claims a huge size is not decoded: the bound keeps memory in check.
        reader.setAllocationLimit(64);
        QImage image = reader.read();
        const int index = image.isNull() ? -1 : static_cast<int>(out_.images.size());
        if (index >= 0)
            out_.images.push_back(std::move(image));
        images_.emplace(part, index);
        return index;
    } catch (const WordError&) {
        return -1;
    }
}

} // namespace wordauto::layout
