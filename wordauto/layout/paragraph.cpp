// One paragraph: its runs and fields read into text with formats, broken into lines by
// QTextLayout, each line a slice of positioned text.

#include "wordauto/layout/flow.h"
#include "wordauto/layout/fonts.h"

#include "wordauto/oxml/xml_util.h"

#include <QFontMetricsF>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace wordauto::layout {

namespace {

constexpr QChar kLineSeparator(0x2028);
// Stands in the text for a check box, a picture or an en space: a letter, not a blank, so that
// it keeps its width at a line end; never drawn.
constexpr QChar kPlaceholder(u'x');
constexpr QChar kEnSpace(0x2002);
constexpr qreal kEmuPerPoint = 12700;
constexpr qreal kMaxPictureSide = 1584;
constexpr std::size_t kMaxFieldNesting = 32;
constexpr qreal kMinFieldWidth = 6; // room to click an empty field

struct RunStyle {
    int font = 0;
    QRgb color = 0xff000000u;
    bool underline = false;
    bool strike = false;
    bool operator==(const RunStyle&) const = default;
};

struct Special {
    int pos = 0;
    bool picture = false;
    bool blank = false; // an en space: room and nothing to draw
    qreal width = 0, height = 0;
    bool checked = false;
    int image = -1;
};

struct FieldState {
    bool inCode = true;
    bool skipResult = false;
    std::string code;
    int formField = -1; // see LayoutContext::formFieldAt
    int start = 0;      // text position where the field's shown part begins
};

// The shown part of a form field: text positions [start, end).
struct FieldSpan {
    int field = 0;
    int start = 0;
    int end = 0;
};

// The text of a paragraph with its formats, built run by run.
class ParagraphReader {
public:
    ParagraphReader(LayoutContext& ctx, const std::string& pStyle, const std::string& tableStyle)
        : ctx_(ctx), pStyle_(pStyle), tableStyle_(tableStyle)
    {
    }

    void read(pugi::xml_node p);
    bool placeholderAt(int i) const
    {
        return static_cast<std::size_t>(i) < isPlaceholder.size() && isPlaceholder[static_cast<std::size_t>(i)];
    }

    QString text;
    QList<QTextLayout::FormatRange> formats;
    std::vector<RunStyle> styles; // one per format range
    std::vector<LayoutContext::LineMetrics> metrics; // one per format range
    std::vector<Special> specials;
    std::vector<bool> isPlaceholder; // by text position
    std::vector<int> pageBreaks; // text positions where a page break character stood
    std::vector<FieldSpan> fieldSpans;

private:
    void enterRun(pugi::xml_node r);
    void append(const QString& s);
    // Text of a w:t. En spaces (an empty text field's placeholder) keep their width at a line
    // end instead of hanging past it as blanks do, so each becomes a placeholder.
    void appendText(const QString& s);
    void appendPlaceholder(const Special& s, qreal advance);
    bool suppressed() const
    {
        for (const auto& f : fields_)
            if (f.inCode || f.skipResult)
                return true;
        return false;
    }
    void fieldChar(pugi::xml_node fldChar);
    bool pageField(std::string_view code, QString& value) const;
    void picture(pugi::xml_node drawing);

    LayoutContext& ctx_;
    const std::string& pStyle_;
    const std::string& tableStyle_;
    pugi::xml_node run_;
    RunProps props_;
    QFont font_;
    LayoutContext::LineMetrics metrics_;
    RunStyle style_;
    bool lastIsPlaceholder_ = false;
    std::vector<FieldState> fields_;
    std::size_t ignoredFields_ = 0;
};

void ParagraphReader::enterRun(pugi::xml_node r)
{
    if (r == run_)
        return;
    run_ = r;
    auto rPr = r.child("w:rPr");
    props_ = ctx_.styles().run(pStyle_, tableStyle_, std::string(detail::childVal(rPr, "w:rStyle")));
    props_.apply(rPr);
    const auto& rf = ctx_.runFont(props_);
    font_ = rf.font;
    metrics_ = rf.metrics;
    style_ = RunStyle{rf.index, props_.color.value_or(0xff000000u), props_.underline.value_or(false),
                      props_.strike.value_or(false)};
}

void ParagraphReader::append(const QString& s)
{
    if (s.isEmpty() || props_.hidden.value_or(false) || suppressed())
        return;
    if (!formats.isEmpty() && !lastIsPlaceholder_ && styles.back() == style_) {
        formats.back().length += static_cast<int>(s.size());
    } else {
        QTextLayout::FormatRange range;
        range.start = static_cast<int>(text.size());
        range.length = static_cast<int>(s.size());
        range.format.setFont(font_);
        formats.push_back(range);
        styles.push_back(style_);
        metrics.push_back(metrics_);
    }
    lastIsPlaceholder_ = false;
    text += s;
}

void ParagraphReader::appendText(const QString& s)
{
    qsizetype start = 0;
    for (qsizetype i = s.indexOf(kEnSpace); i >= 0; i = s.indexOf(kEnSpace, start)) {
        append(s.mid(start, i - start));
        Special blank;
        blank.blank = true;
        appendPlaceholder(blank, font_.pointSizeF() / 2);
        start = i + 1;
    }
    append(start == 0 ? s : s.mid(start));
}

void ParagraphReader::appendPlaceholder(const Special& s, qreal advance)
{
    if (props_.hidden.value_or(false) || suppressed())
        return;
    // One letter, sized so that its advance is the object's width (the line's height comes
    // from the run's own font, not from this one).
    QFont f = font_;
    const qreal own = QFontMetricsF(f, ctx_.device()).horizontalAdvance(kPlaceholder);
    if (own > 0)
        f.setPointSizeF(std::clamp(f.pointSizeF() * advance / own, 0.05, 5000.0));
    QTextLayout::FormatRange range;
    range.start = static_cast<int>(text.size());
    range.length = 1;
    range.format.setFont(f);
    formats.push_back(range);
    styles.push_back(style_);
    metrics.push_back(metrics_);
    lastIsPlaceholder_ = true;
    Special sp = s;
    sp.pos = range.start;
    specials.push_back(sp);
    text += kPlaceholder;
    isPlaceholder.resize(static_cast<std::size_t>(text.size()), false);
    isPlaceholder.back() = true;
}

bool ParagraphReader::pageField(std::string_view code, QString& value) const
{
    const FieldValues* v = ctx_.fieldValues;
    if (!v)
        return false;
    while (!code.empty() && code.front() == ' ')
        code.remove_prefix(1);
    const std::string word = detail::lowerAscii(code.substr(0, code.find(' ')));
    if (word == "page")
        value = QString::number(v->page);
    else if (word == "numpages")
        value = QString::number(v->numPages);
    else if (word == "sectionpages")
        value = QString::number(v->sectionPages);
    else
        return false;
    ctx_.fieldValuesUsed = true;
    return true;
}

void ParagraphReader::fieldChar(pugi::xml_node fldChar)
{
    const std::string_view type = fldChar.attribute("w:fldCharType").value();
    if (type == "begin") {
        if (fields_.size() >= kMaxFieldNesting) {
            ++ignoredFields_;
            return;
        }
        FieldState f;
        f.formField = ctx_.formFieldAt(fldChar);
        f.start = static_cast<int>(text.size());
        if (auto ff = fldChar.child("w:ffData")) {
            if (auto box = ff.child("w:checkBox")) {
                qreal size = props_.size.value_or(10);
                if (auto sz = box.child("w:size"); sz && !box.child("w:sizeAuto"))
                    size = std::clamp(sz.attribute("w:val").as_double(20) / 2, 1.0, 1638.0);
                bool checked = false;
                if (auto c = box.child("w:checked"))
                    checked = detail::onOff(c, false);
                else
                    checked = detail::onOff(box.child("w:default"), false);
                Special s;
                s.width = s.height = size;
                s.checked = checked;
                appendPlaceholder(s, size);
                f.skipResult = true;
            } else if (auto list = ff.child("w:ddList")) {
                std::vector<pugi::xml_node> entries;
                for (auto e : list.children("w:listEntry"))
                    entries.push_back(e);
                int chosen = list.child("w:result").attribute("w:val").as_int(
                    list.child("w:default").attribute("w:val").as_int(0));
                if (chosen < 0 || chosen >= static_cast<int>(entries.size()))
                    chosen = 0;
                if (!entries.empty())
                    append(QString::fromUtf8(entries[static_cast<std::size_t>(chosen)]
                                                 .attribute("w:val").value()));
                f.skipResult = true;
            }
        }
        fields_.push_back(std::move(f));
    } else if (type == "separate") {
        if (ignoredFields_ > 0 || fields_.empty())
            return;
        auto& f = fields_.back();
        if (!f.inCode)
            return;
        f.inCode = false;
        QString value;
        if (!f.skipResult && pageField(f.code, value)) {
            append(value);
            f.skipResult = true;
        }
    } else if (type == "end") {
        if (ignoredFields_ > 0) {
            --ignoredFields_;
            return;
        }
        if (fields_.empty())
            return;
        FieldState f = std::move(fields_.back());
        fields_.pop_back();
        QString value;
        // A field without a result shows what its code computes, where that is known.
        if (f.inCode && !f.skipResult && pageField(f.code, value))
            append(value);
        if (f.formField >= 0)
            fieldSpans.push_back(FieldSpan{f.formField, f.start, static_cast<int>(text.size())});
    }
}

void ParagraphReader::picture(pugi::xml_node drawing)
{
    auto inl = drawing.child("wp:inline");
    if (!inl)
        return; // floating pictures are not laid out
    auto extent = inl.child("wp:extent");
    const qreal w = std::clamp(extent.attribute("wp:cx").as_double() / kEmuPerPoint, 0.0, kMaxPictureSide);
    const qreal h = std::clamp(extent.attribute("wp:cy").as_double() / kEmuPerPoint, 0.0, kMaxPictureSide);
    if (!(w > 0 && h > 0))
        return;
    auto blip = inl.find_node([](pugi::xml_node n) { return std::strcmp(n.name(), "a:blip") == 0; });
    Special s;
    s.picture = true;
    s.width = w;
    s.height = h;
    s.image = ctx_.imageIndex(blip.attribute("r:embed").value());
    appendPlaceholder(s, w);
}

void ParagraphReader::read(pugi::xml_node p)
{
    // Paragraph mark properties until the first run.
    run_ = p;
    props_ = ctx_.styles().run(pStyle_, tableStyle_, "");
    props_.apply(p.child("w:pPr").child("w:rPr"));
    props_.hidden = false;
    const auto& rf = ctx_.runFont(props_);
    font_ = rf.font;
    metrics_ = rf.metrics;
    style_ = RunStyle{rf.index, props_.color.value_or(0xff000000u), false, false};

    pugi::xml_node n = p.first_child();
    while (n) {
        const char* name = n.name();
        bool enter = false;
        if (std::strcmp(name, "w:r") == 0) {
            enterRun(n);
            enter = true;
        } else if (std::strcmp(name, "w:t") == 0) {
            appendText(QString::fromUtf8(n.text().get()));
        } else if (std::strcmp(name, "w:tab") == 0 && isElement(n.parent(), "w:r")) {
            append(QStringLiteral("\t"));
        } else if (std::strcmp(name, "w:br") == 0 || std::strcmp(name, "w:cr") == 0) {
            const bool hidden = props_.hidden.value_or(false) || suppressed();
            append(QString(kLineSeparator));
            if (!hidden && std::strcmp(n.attribute("w:type").value(), "page") == 0)
                pageBreaks.push_back(static_cast<int>(text.size()));
        } else if (std::strcmp(name, "w:noBreakHyphen") == 0) {
            append(QStringLiteral("-"));
        } else if (std::strcmp(name, "w:fldChar") == 0) {
            fieldChar(n);
        } else if (std::strcmp(name, "w:instrText") == 0) {
            if (!fields_.empty() && ignoredFields_ == 0 && fields_.back().inCode
                && fields_.back().code.size() < 256)
                fields_.back().code += n.text().get();
        } else if (std::strcmp(name, "w:fldSimple") == 0) {
            QString value;
            if (!suppressed() && pageField(n.attribute("w:instr").value(), value))
                append(value);
            else
                enter = true;
        } else if (std::strcmp(name, "w:drawing") == 0) {
            picture(n);
        } else {
            // Wrappers (hyperlinks, insertions, content controls) hold runs; properties,
            // deletions and anything unknown are skipped.
            enter = std::strcmp(name, "w:hyperlink") == 0 || std::strcmp(name, "w:ins") == 0
                    || std::strcmp(name, "w:smartTag") == 0 || std::strcmp(name, "w:sdt") == 0
                    || std::strcmp(name, "w:sdtContent") == 0 || std::strcmp(name, "w:customXml") == 0
                    || std::strcmp(name, "w:moveTo") == 0 || std::strcmp(name, "w:dir") == 0
                    || std::strcmp(name, "w:bdo") == 0;
        }
        pugi::xml_node next = enter ? n.first_child() : pugi::xml_node();
        n = next ? next : detail::nextSkippingChildren(n, p);
    }
}

// Pieces of a line's text between tabs, breaks and placeholders (and spaces, when the line is
// justified), each drawn where the layout put it.
void emitLineText(const ParagraphReader& r, const QTextLine& line, qsizetype firstFormat, qreal baseline,
                  bool justified, Items& out)
{
    const int lineStart = line.textStart();
    const int lineEnd = lineStart + line.textLength();
    for (qsizetype fi = firstFormat; fi < r.formats.size() && r.formats[fi].start < lineEnd; ++fi) {
        const auto& range = r.formats[fi];
        const int a = std::max(lineStart, range.start);
        const int b = std::min(lineEnd, range.start + range.length);
        int pieceStart = a;
        for (int i = a; i <= b; ++i) {
            const bool cut = i == b || r.text[i] == QLatin1Char('\t') || r.text[i] == kLineSeparator
                             || r.placeholderAt(i) || (justified && r.text[i] == QLatin1Char(' '));
            if (!cut)
                continue;
            if (i > pieceStart) {
                QString piece = r.text.mid(pieceStart, i - pieceStart);
                if (!piece.trimmed().isEmpty() || r.styles[static_cast<std::size_t>(fi)].underline) {
                    const auto& st = r.styles[static_cast<std::size_t>(fi)];
                    const qreal x0 = line.cursorToX(pieceStart);
                    const qreal x1 = line.cursorToX(i);
                    out.texts.push_back(TextItem{QPointF(x0, baseline), std::move(piece), st.font,
                                                 st.color, st.underline, st.strike, x1 - x0});
                }
            }
            pieceStart = i + 1;
        }
    }
}

} // namespace

bool isElement(pugi::xml_node n, const char* name) { return std::strcmp(n.name(), name) == 0; }

void measureParagraph(LayoutContext& ctx, pugi::xml_node p, qreal width,
                      const std::string& tableStyle, std::vector<Slice>& out)
{
    auto pPr = p.child("w:pPr");
    const std::string pStyle(detail::childVal(pPr, "w:pStyle"));
    ParaProps props = ctx.styles().paragraph(pStyle, tableStyle);
    props.apply(pPr);

    ParagraphReader reader(ctx, pStyle, tableStyle);
    reader.read(p);

    // Indents never leave the paragraph less than a point to write in.
    qreal left = props.indentLeft.value_or(0), right = props.indentRight.value_or(0);
    const qreal first = props.firstLine.value_or(0);
    if (left + right > width - 1) {
        left = std::clamp(left, 0.0, width - 1);
        right = std::clamp(right, 0.0, width - 1 - left);
    }

    const LineRule rule = props.lineRule.value_or(LineRule::Auto);
    const qreal lineValue = props.line.value_or(1.0);
    auto lineHeight = [&](qreal single) {
        return rule == LineRule::Exact     ? lineValue
               : rule == LineRule::AtLeast ? std::max(single, lineValue)
                                           : single * lineValue;
    };
    const std::size_t firstSlice = out.size();
    std::size_t nextBreak = 0;
    std::size_t nextSpecial = 0;

    if (reader.text.isEmpty()) {
        // The paragraph mark's font gives an empty paragraph its one line.
        RunProps mark = ctx.styles().run(pStyle, tableStyle, "");
        mark.apply(pPr.child("w:rPr"));
        Slice slice;
        slice.height = props.spaceBefore.value_or(0) + lineHeight(ctx.runFont(mark).metrics.height);
        const qreal before = props.spaceBefore.value_or(0);
        for (const auto& span : reader.fieldSpans)
            slice.items.fields.push_back(
                FieldItem{QRectF(left, before, kMinFieldWidth, slice.height - before), span.field});
        out.push_back(std::move(slice));
    } else {
        QTextLayout layout(reader.text, reader.formats.isEmpty() ? QFont() : reader.formats.front().format.font(),
                           ctx.device());
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        option.setTabStopDistance(ctx.defaultTabStop());
        const Align align = props.align.value_or(Align::Left);
        option.setAlignment(align == Align::Center  ? Qt::AlignHCenter
                            : align == Align::Right ? Qt::AlignRight
                            : align == Align::Justify ? Qt::AlignJustify
                                                      : Qt::AlignLeft);
        QList<QTextOption::Tab> tabs;
        for (const auto& t : props.tabs) {
            const auto type = t.kind == TabStop::Center  ? QTextOption::CenterTab
                              : t.kind == TabStop::Right ? QTextOption::RightTab
                              : t.kind == TabStop::Decimal ? QTextOption::DelimiterTab
                                                           : QTextOption::LeftTab;
            tabs.append(QTextOption::Tab(t.position - left, type, QLatin1Char(',')));
        }
        option.setTabs(tabs);
        layout.setTextOption(option);
        layout.setFormats(reader.formats);
        layout.setCacheEnabled(false);

        qsizetype firstFormat = 0;
        layout.beginLayout();
        for (bool firstLine = true;; firstLine = false) {
            QTextLine line = layout.createLine();
            if (!line.isValid())
                break;
            const qreal indent = firstLine ? std::clamp(left + first, 0.0, width - 1) : left;
            line.setLineWidth(std::max<qreal>(1, width - indent - right));
            line.setPosition(QPointF(indent, 0));

            // Word's line: the tallest single line height among the fonts on it, the text on
            // its descent; a picture raises the ascent.
            const int lineEnd = line.textStart() + line.textLength();
            qreal descent = 0, single = 0;
            // Formats and lines both run forward through the text.
            while (firstFormat < reader.formats.size()
                   && reader.formats[firstFormat].start + reader.formats[firstFormat].length <= line.textStart())
                ++firstFormat;
            for (qsizetype k = firstFormat; k < reader.formats.size() && reader.formats[k].start < lineEnd; ++k) {
                const auto& m = reader.metrics[static_cast<std::size_t>(k)];
                single = std::max(single, m.height);
                descent = std::max(descent, m.descent);
            }
            if (single == 0) {
                // The empty line after a final line break: as high as the text before it.
                single = reader.metrics.back().height;
                descent = reader.metrics.back().descent;
            }
            while (nextSpecial < reader.specials.size() && reader.specials[nextSpecial].pos < line.textStart())
                ++nextSpecial;
            for (std::size_t s = nextSpecial; s < reader.specials.size() && reader.specials[s].pos < lineEnd; ++s)
                if (reader.specials[s].picture)
                    single = std::max(single, reader.specials[s].height + descent);
            const qreal height = lineHeight(single);
            const qreal baseline = std::max<qreal>(0, height - descent * (rule == LineRule::Auto ? lineValue : 1));

            Slice slice;
            const qreal before = firstLine ? props.spaceBefore.value_or(0) : 0;
            emitLineText(reader, line, firstFormat, baseline + before, align == Align::Justify, slice.items);
            for (std::size_t s = nextSpecial; s < reader.specials.size() && reader.specials[s].pos < lineEnd; ++s) {
                const auto& sp = reader.specials[s];
                const qreal x = line.cursorToX(sp.pos);
                if (sp.blank)
                    continue;
                if (sp.picture) {
                    if (sp.image >= 0)
                        slice.items.images.push_back(
                            ImageItem{QRectF(x, before + baseline - sp.height, sp.width, sp.height), sp.image});
                } else {
                    // The box is about the height of its text and reaches a little below the baseline.
                    const qreal side = sp.width * 0.9;
                    slice.items.boxes.push_back(BoxItem{
                        QRectF(x + (sp.width - side) / 2, before + baseline - side + sp.width * 0.12, side, side),
                        sp.checked});
                }
            }
            for (const auto& span : reader.fieldSpans) {
                // An empty field stands where its text would begin.
                const bool lastLine = lineEnd >= static_cast<int>(reader.text.size());
                const bool on = span.start < span.end
                                    ? span.start < lineEnd && span.end > line.textStart()
                                    : span.start >= line.textStart() && (span.start < lineEnd || lastLine);
                if (!on)
                    continue;
                const qreal x0 = line.cursorToX(std::max(span.start, line.textStart()));
                const qreal x1 = std::max(line.cursorToX(std::min(span.end, lineEnd)), x0 + kMinFieldWidth);
                slice.items.fields.push_back(FieldItem{QRectF(x0, before, x1 - x0, height), span.field});
            }
            slice.height = before + height;
            while (nextBreak < reader.pageBreaks.size() && reader.pageBreaks[nextBreak] < line.textStart())
                ++nextBreak;
            if (nextBreak < reader.pageBreaks.size() && reader.pageBreaks[nextBreak] == line.textStart()) {
                slice.forceBreak = true;
                ++nextBreak;
            }
            out.push_back(std::move(slice));
        }
        layout.endLayout();
    }

    if (out.size() == firstSlice)
        out.push_back(Slice{});
    auto& last = out.back();
    // A page break with no line after it in this paragraph: what follows starts the page.
    if (nextBreak < reader.pageBreaks.size())
        last.forceBreakAfter = true;
    last.spaceAfter = props.spaceAfter.value_or(0);
    last.height += last.spaceAfter;
    if (props.shading) {
        for (std::size_t i = firstSlice; i < out.size(); ++i)
            out[i].items.fills.insert(out[i].items.fills.begin(),
                                      FillItem{QRectF(left, 0, width - left - right, out[i].height), *props.shading});
    }

    const std::size_t lines = out.size() - firstSlice;
    const bool keepLines = props.keepLines.value_or(false);
    const bool widows = props.widowControl.value_or(false);
    for (std::size_t i = firstSlice; i + 1 < out.size(); ++i) {
        const std::size_t k = i - firstSlice;
        out[i].keepWithNext = keepLines || (widows && lines >= 2 && (k == 0 || k + 2 == lines));
    }
    last.keepWithNext = props.keepNext.value_or(false);
    if (props.pageBreakBefore.value_or(false))
        out[firstSlice].breakBefore = true;
}

} // namespace wordauto::layout
