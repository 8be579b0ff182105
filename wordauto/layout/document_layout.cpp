#include "wordauto/layout/document_layout.h"

#include "wordauto/oxml/document_model.h"
#include "wordauto/layout/fonts.h"
#include "wordauto/layout/page_count.h"
#include "wordauto/layout/paginator.h"
#include "wordauto/word_error.h"
#include "wordauto/oxml/xml_util.h"

#include <QGuiApplication>

#include <algorithm>
#include <map>
#include <cmath>

namespace wordauto::layout {

namespace {

constexpr qreal kMinPageSide = 72;
constexpr qreal kMaxPageSide = 1584;
constexpr qreal kMinBodySide = 36;
const QSizeF kA4(595.3, 841.9);

void ensureGuiApplication()
{
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return;
    if (QCoreApplication::instance())
        throw WordError("Impaginazione impossibile: il programma non ha un'interfaccia grafica");
    // Fonts need a GUI application; a process without one gets one that shows nothing. It
    // lives as long as the process.
    static int argc = 3;
    static char name[] = "vendrik";
    static char option[] = "-platform";
    static char platform[] = "offscreen";
    static char* argv[] = {name, option, platform, nullptr};
    new QGuiApplication(argc, argv);
}

struct Story {
    std::string part;
    pugi::xml_node root;
};

// A section: its page, and the header and footer stories its pages show.
struct SectionInfo {
    pugi::xml_node sectPr;
    QSizeF page = kA4;
    qreal top = 72, bottom = 72, left = 72, right = 72, header = 36, footer = 36;
    std::optional<int> start;
    bool continuous = false;
    bool titlePage = false;
    Story header1, headerFirst, footer1, footerFirst;
};

qreal clampSide(qreal v) { return std::isfinite(v) && v > 0 ? std::clamp(v, kMinPageSide, kMaxPageSide) : 0; }

// Shrinks two margins in proportion so that at least kMinBodySide is left between them.
void fitMargins(qreal& a, qreal& b, qreal side)
{
    a = std::max<qreal>(0, a);
    b = std::max<qreal>(0, b);
    const qreal room = side - kMinBodySide;
    if (a + b > room) {
        const qreal scale = room / (a + b);
        a *= scale;
        b *= scale;
    }
}

Story storyOf(detail::DocumentModel& doc, pugi::xml_node ref)
{
    const std::string id = ref.attribute("r:id").value();
    if (id.empty())
        return {};
    try {
        for (const auto& rel : doc.package().relationships(doc.mainPartName()))
            if (rel.id == id && !rel.external) {
                const std::string part = opc::Package::resolveTarget(doc.mainPartName(), rel.target);
                if (!doc.package().hasPart(part))
                    return {};
                return Story{part, doc.partXml(part).document_element()};
            }
    } catch (const WordError&) {
        // A damaged header or footer part is left out, as Word would show none.
    }
    return {};
}

SectionInfo readSection(detail::DocumentModel& doc, pugi::xml_node sectPr, const SectionInfo* before)
{
    SectionInfo s;
    if (before) {
        s.header1 = before->header1;
        s.headerFirst = before->headerFirst;
        s.footer1 = before->footer1;
        s.footerFirst = before->footerFirst;
    }
    s.sectPr = sectPr;
    auto sz = sectPr.child("w:pgSz");
    qreal w = clampSide(twips(sz.attribute("w:w"))), h = clampSide(twips(sz.attribute("w:h")));
    if (w == 0)
        w = kA4.width();
    if (h == 0)
        h = kA4.height();
    const bool landscape = std::string_view(sz.attribute("w:orient").value()) == "landscape";
    if (landscape != (w > h))
        std::swap(w, h);
    s.page = QSizeF(w, h);

    auto mar = sectPr.child("w:pgMar");
    if (mar) {
        // A negative top or bottom margin is a fixed one: its size is what counts here.
        s.top = std::abs(twips(mar.attribute("w:top"), 72));
        s.bottom = std::abs(twips(mar.attribute("w:bottom"), 72));
        s.left = twips(mar.attribute("w:left"), 72) + twips(mar.attribute("w:gutter"), 0);
        s.right = twips(mar.attribute("w:right"), 72);
        s.header = std::clamp(twips(mar.attribute("w:header"), 36), 0.0, h / 2);
        s.footer = std::clamp(twips(mar.attribute("w:footer"), 36), 0.0, h / 2);
    }
    fitMargins(s.left, s.right, w);
    fitMargins(s.top, s.bottom, h);

    if (auto start = sectPr.child("w:pgNumType").attribute("w:start"))
        s.start = std::clamp(start.as_int(1), -1000000, 1000000);
    s.continuous = std::string_view(detail::childVal(sectPr, "w:type")) == "continuous";
    s.titlePage = detail::onOff(sectPr.child("w:titlePg"), false);
    for (auto ref : sectPr.children()) {
        const bool isHeader = isElement(ref, "w:headerReference");
        if (!isHeader && !isElement(ref, "w:footerReference"))
            continue;
        const std::string_view type = ref.attribute("w:type").value();
        Story story = storyOf(doc, ref);
        if (type == "first")
            (isHeader ? s.headerFirst : s.footerFirst) = story;
        else if (type.empty() || type == "default")
            (isHeader ? s.header1 : s.footer1) = story;
    }
    return s;
}

std::vector<Slice> measureStory(LayoutContext& ctx, const Story& story, qreal width,
                                const FieldValues& values)
{
    std::vector<Slice> out;
    if (!story.root)
        return out;
    const std::string saved = ctx.storyPart;
    ctx.storyPart = story.part;
    ctx.fieldValues = &values;
    measureBlocks(ctx, story.root, width, {}, out);
    ctx.fieldValues = nullptr;
    ctx.storyPart = saved;
    return out;
}

qreal heightOf(const std::vector<Slice>& slices)
{
    qreal h = 0;
    for (const auto& s : slices)
        h += s.height;
    return h;
}

// The body's frame once header and footer have taken the room they need.
PageFrame frameOf(LayoutContext& ctx, const SectionInfo& s, int index)
{
    const qreal width = s.page.width() - s.left - s.right;
    const FieldValues probe{1, 1, 1};
    const qreal headerHeight = std::max(heightOf(measureStory(ctx, s.header1, width, probe)),
                                        s.titlePage ? heightOf(measureStory(ctx, s.headerFirst, width, probe)) : 0);
    const qreal footerHeight = std::max(heightOf(measureStory(ctx, s.footer1, width, probe)),
                                        s.titlePage ? heightOf(measureStory(ctx, s.footerFirst, width, probe)) : 0);
    qreal top = std::max(s.top, s.header + headerHeight);
    qreal bottom = std::max(s.bottom, s.footer + footerHeight);
    // Headers and footers never squeeze the body below a strip of kMinBodySide.
    top = std::min(top, s.page.height() - s.bottom - kMinBodySide);
    bottom = std::min(bottom, s.page.height() - top - kMinBodySide);
    PageFrame f;
    f.page = s.page;
    f.body = QRectF(s.left, top, width, s.page.height() - top - bottom);
    f.section = index;
    return f;
}

// Headers and footers measured once per story and width when they show no page numbers;
// the others are measured for each page.
class StoryCache {
public:
    const std::vector<Slice>& get(LayoutContext& ctx, const Story& story, qreal width,
                                  const FieldValues& values)
    {
        const auto key = std::make_pair(story.part, width);
        if (auto it = fixed_.find(key); it != fixed_.end())
            return it->second;
        ctx.fieldValuesUsed = false;
        current_ = measureStory(ctx, story, width, values);
        if (!ctx.fieldValuesUsed)
            return fixed_.emplace(key, std::move(current_)).first->second;
        return current_;
    }

private:
    std::map<std::pair<std::string, qreal>, std::vector<Slice>> fixed_;
    std::vector<Slice> current_;
};

void placeStory(const std::vector<Slice>& slices, Page& page, qreal x, qreal y)
{
    for (auto& s : slices) {
        page.items.append(s.items, QPointF(x, y));
        y += s.height;
    }
}

void addHeadersAndFooters(LayoutContext& ctx, const std::vector<SectionInfo>& sections,
                          DocumentLayout& out)
{
    const int total = static_cast<int>(out.pages.size());
    std::vector<int> perSection(sections.size(), 0);
    for (const auto& p : out.pages)
        ++perSection[static_cast<std::size_t>(p.section)];
    StoryCache cache;
    int number = 0;
    for (std::size_t i = 0; i < out.pages.size(); ++i) {
        Page& page = out.pages[i];
        const SectionInfo& s = sections[static_cast<std::size_t>(page.section)];
        const bool firstOfSection = i == 0 || out.pages[i - 1].section != page.section;
        number = firstOfSection && s.start ? *s.start : number + 1;
        page.number = number;
        const FieldValues values{number, total, perSection[static_cast<std::size_t>(page.section)]};
        const qreal width = s.page.width() - s.left - s.right;
        const bool first = firstOfSection && s.titlePage;
        const auto& header = cache.get(ctx, first ? s.headerFirst : s.header1, width, values);
        placeStory(header, page, s.left, s.header);
        const auto& footer = cache.get(ctx, first ? s.footerFirst : s.footer1, width, values);
        placeStory(footer, page, s.left, s.page.height() - s.footer - heightOf(footer));
    }
}

} // namespace

DocumentLayout layoutDocument(detail::DocumentModel& doc)
{
    ensureGuiApplication();
    ensureSubstituteFonts();
    DocumentLayout out;
    LayoutContext ctx(doc, out);
    auto body = doc.body();

    std::vector<SectionInfo> sections;
    forEachBlock(body, [&](pugi::xml_node n) {
        if (auto sp = n.child("w:pPr").child("w:sectPr"); sp && isElement(n, "w:p"))
            sections.push_back(readSection(doc, sp, sections.empty() ? nullptr : &sections.back()));
    });
    sections.push_back(readSection(doc, body.child("w:sectPr"), sections.empty() ? nullptr : &sections.back()));

    Paginator paginator(out.pages);
    std::size_t current = 0;
    std::vector<FlowItem> flow;
    PageFrame frame = frameOf(ctx, sections[0], 0);
    paginator.startSection(frame, true);
    forEachBlock(body, [&](pugi::xml_node n) {
        const qreal width = frame.body.width();
        if (isElement(n, "w:tbl")) {
            FlowItem item;
            item.table = std::make_unique<TableBox>(measureTable(ctx, n, width));
            flow.push_back(std::move(item));
            return;
        }
        std::vector<Slice> lines;
        measureParagraph(ctx, n, width, {}, lines);
        for (auto& l : lines)
            flow.push_back(FlowItem{std::move(l), nullptr});
        if (n.child("w:pPr").child("w:sectPr") && current + 1 < sections.size()) {
            paginator.place(flow);
            flow.clear();
            ++current;
            frame = frameOf(ctx, sections[current], static_cast<int>(current));
            paginator.startSection(frame, !sections[current].continuous);
        }
    });
    paginator.place(flow);
    addHeadersAndFooters(ctx, sections, out);
    return out;
}

int pageCount(detail::DocumentModel& doc)
{
    if (auto known = doc.cachedPageCount())
        return *known;
    const int pages = static_cast<int>(layoutDocument(doc).pages.size());
    doc.cachePageCount(pages);
    return pages;
}

} // namespace wordauto::layout
