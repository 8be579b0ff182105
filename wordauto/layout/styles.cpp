#include "wordauto/layout/styles.h"

#include "wordauto/oxml/xml_util.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <initializer_list>

namespace wordauto::layout {

namespace {

// The largest length any page can hold (22 inches), and Word's largest font size.
constexpr double kMaxLength = 1584;
constexpr double kMaxFontSize = 1638;
constexpr double kMinFontSize = 1;
constexpr int kMaxStyleChain = 32;

double clampLength(double v) { return std::clamp(v, -kMaxLength, kMaxLength); }

std::optional<QRgb> hexColor(std::string_view v)
{
    if (v.size() != 6)
        return std::nullopt;
    unsigned value = 0;
    for (char c : v) {
        value <<= 4;
        if (c >= '0' && c <= '9')
            value |= static_cast<unsigned>(c - '0');
        else if (c >= 'a' && c <= 'f')
            value |= static_cast<unsigned>(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F')
            value |= static_cast<unsigned>(c - 'A' + 10);
        else
            return std::nullopt;
    }
    return 0xff000000u | value;
}

std::optional<bool> toggle(pugi::xml_node rPr, const char* name)
{
    auto n = rPr.child(name);
    if (!n)
        return std::nullopt;
    return detail::onOff(n, false);
}

struct Toggle {
    const char* element;
    std::optional<bool>* value;
};

// On/off properties: each element present sets its value, on unless w:val says off.
void applyToggles(pugi::xml_node props, std::initializer_list<Toggle> toggles)
{
    for (const auto& t : toggles)
        if (auto v = toggle(props, t.element))
            *t.value = v;
}

std::optional<Align> alignOf(std::string_view v)
{
    if (v == "center")
        return Align::Center;
    if (v == "right" || v == "end")
        return Align::Right;
    if (v == "both" || v == "distribute")
        return Align::Justify;
    if (v == "left" || v == "start")
        return Align::Left;
    return std::nullopt;
}

// The defaults, then the `part` (w:pPr or w:rPr) of each style of each chain, roots first.
template <typename Props>
Props layered(pugi::xml_node defaults, const char* part,
              std::initializer_list<std::vector<pugi::xml_node>> chains)
{
    Props p;
    p.apply(defaults);
    for (const auto& c : chains)
        for (auto style : c)
            p.apply(style.child(part));
    return p;
}

} // namespace

double twips(pugi::xml_attribute a, double fallback)
{
    if (!a)
        return fallback;
    const double v = a.as_double(fallback / kTwip) * kTwip;
    return std::isfinite(v) ? clampLength(v) : fallback;
}

std::optional<QRgb> shadingFill(pugi::xml_node shd)
{
    if (!shd)
        return std::nullopt;
    return hexColor(shd.attribute("w:fill").value());
}

void RunProps::apply(pugi::xml_node rPr)
{
    if (!rPr)
        return;
    if (auto f = rPr.child("w:rFonts")) {
        const char* name = f.attribute("w:ascii").value();
        if (!*name)
            name = f.attribute("w:hAnsi").value();
        if (*name)
            font = name;
        else if (auto theme = f.attribute("w:asciiTheme"))
            font = std::strncmp(theme.value(), "major", 5) == 0 ? "Calibri Light" : "Calibri";
    }
    if (auto sz = rPr.child("w:sz"); sz && sz.attribute("w:val")) {
        const double v = sz.attribute("w:val").as_double(20) / 2;
        size = std::isfinite(v) ? std::clamp(v, kMinFontSize, kMaxFontSize) : 10.0;
    }
    applyToggles(rPr, {{"w:b", &bold}, {"w:i", &italic}, {"w:strike", &strike}, {"w:caps", &caps},
                       {"w:smallCaps", &smallCaps}, {"w:vanish", &hidden}});
    if (auto u = rPr.child("w:u")) {
        const std::string_view v = u.attribute("w:val").value();
        underline = !(v == "none" || v.empty());
    }
    if (auto c = rPr.child("w:color")) {
        const std::string_view v = c.attribute("w:val").value();
        if (auto rgb = hexColor(v))
            color = rgb;
        else if (v == "auto")
            color = 0xff000000u;
    }
}

void ParaProps::apply(pugi::xml_node pPr)
{
    if (!pPr)
        return;
    if (auto v = alignOf(detail::childVal(pPr, "w:jc")))
        align = v;
    if (auto ind = pPr.child("w:ind")) {
        for (const char* a : {"w:left", "w:start"})
            if (auto at = ind.attribute(a))
                indentLeft = twips(at);
        for (const char* a : {"w:right", "w:end"})
            if (auto at = ind.attribute(a))
                indentRight = twips(at);
        if (auto at = ind.attribute("w:firstLine"))
            firstLine = twips(at);
        if (auto at = ind.attribute("w:hanging"))
            firstLine = -twips(at);
    }
    if (auto sp = pPr.child("w:spacing")) {
        if (auto at = sp.attribute("w:before"))
            spaceBefore = std::max(0.0, twips(at));
        if (auto at = sp.attribute("w:after"))
            spaceAfter = std::max(0.0, twips(at));
        if (auto at = sp.attribute("w:line")) {
            const std::string_view rule = sp.attribute("w:lineRule").value();
            if (rule == "exact" || rule == "atLeast") {
                lineRule = rule == "exact" ? LineRule::Exact : LineRule::AtLeast;
                line = std::clamp(std::abs(twips(at)), 1.0, kMaxLength);
            } else {
                lineRule = LineRule::Auto;
                const double m = at.as_double(240) / 240.0;
                line = std::isfinite(m) ? std::clamp(m, 0.06, 132.0) : 1.0;
            }
        }
    }
    applyToggles(pPr, {{"w:keepNext", &keepNext}, {"w:keepLines", &keepLines},
                       {"w:pageBreakBefore", &pageBreakBefore}, {"w:widowControl", &widowControl}});
    if (auto shd = pPr.child("w:shd"))
        shading = shadingFill(shd);
    if (auto list = pPr.child("w:tabs")) {
        for (auto t : list.children("w:tab")) {
            const double pos = twips(t.attribute("w:pos"));
            const std::string_view val = t.attribute("w:val").value();
            tabs.erase(std::remove_if(tabs.begin(), tabs.end(),
                                      [&](const TabStop& s) { return std::abs(s.position - pos) < 0.01; }),
                       tabs.end());
            if (val == "clear" || tabs.size() >= 64)
                continue;
            TabStop s{pos, TabStop::Left};
            if (val == "center")
                s.kind = TabStop::Center;
            else if (val == "right" || val == "end")
                s.kind = TabStop::Right;
            else if (val == "decimal")
                s.kind = TabStop::Decimal;
            tabs.push_back(s);
        }
        std::sort(tabs.begin(), tabs.end(),
                  [](const TabStop& a, const TabStop& b) { return a.position < b.position; });
    }
}

void readBorders(pugi::xml_node borders, std::optional<Border> (&out)[6])
{
    if (!borders)
        return;
    static constexpr const char* kNames[6][2] = {{"w:top", nullptr},         {"w:left", "w:start"},
                                                 {"w:bottom", nullptr},      {"w:right", "w:end"},
                                                 {"w:insideH", nullptr},     {"w:insideV", nullptr}};
    for (int side = 0; side < 6; ++side) {
        pugi::xml_node b = borders.child(kNames[side][0]);
        if (!b && kNames[side][1])
            b = borders.child(kNames[side][1]);
        if (!b)
            continue;
        const std::string_view val = b.attribute("w:val").value();
        Border border;
        if (!(val == "nil" || val == "none" || val.empty())) {
            // w:sz is in eighths of a point; Word draws at least a hairline.
            const double w = b.attribute("w:sz").as_double(4) / 8.0;
            border.width = std::isfinite(w) ? std::clamp(w, 0.25, 12.0) : 0.5;
            if (val == "double")
                border.width = std::min(border.width * 3, 12.0);
            border.color = hexColor(b.attribute("w:color").value()).value_or(0xff000000u);
        }
        out[side] = border;
    }
}

void readMargins(pugi::xml_node margins, std::optional<double> (&out)[4])
{
    if (!margins)
        return;
    static constexpr const char* kNames[4][2] = {
        {"w:top", nullptr}, {"w:left", "w:start"}, {"w:bottom", nullptr}, {"w:right", "w:end"}};
    for (int side = 0; side < 4; ++side) {
        pugi::xml_node m = margins.child(kNames[side][0]);
        if (!m && kNames[side][1])
            m = margins.child(kNames[side][1]);
        if (m && m.attribute("w:w"))
            out[side] = std::clamp(twips(m.attribute("w:w")), 0.0, kMaxLength);
    }
}

void TableProps::apply(pugi::xml_node tblPr)
{
    if (!tblPr)
        return;
    readMargins(tblPr.child("w:tblCellMar"), margin);
    readBorders(tblPr.child("w:tblBorders"), border);
    if (auto ind = tblPr.child("w:tblInd"); ind && ind.attribute("w:w"))
        indent = twips(ind.attribute("w:w"));
    if (auto v = alignOf(detail::childVal(tblPr, "w:jc")))
        align = v;
    if (auto shd = tblPr.child("w:shd"))
        shading = shadingFill(shd);
}

StyleSheet::StyleSheet(pugi::xml_node styles)
{
    auto defaults = styles.child("w:docDefaults");
    pPrDefault_ = defaults.child("w:pPrDefault").child("w:pPr");
    rPrDefault_ = defaults.child("w:rPrDefault").child("w:rPr");
    for (auto s : styles.children("w:style")) {
        const std::string id = s.attribute("w:styleId").value();
        byId_.try_emplace(id, s);
        const std::string_view isDefault = s.attribute("w:default").value();
        if (isDefault == "1" || isDefault == "true" || isDefault == "on") {
            const std::string_view type = s.attribute("w:type").value();
            if (type == "paragraph" && defaultParagraph_.empty())
                defaultParagraph_ = id;
            else if (type == "table" && defaultTable_.empty())
                defaultTable_ = id;
        }
    }
}

std::vector<pugi::xml_node> StyleSheet::chain(const std::string& id, const char* type) const
{
    std::vector<pugi::xml_node> out;
    std::string next = id;
    while (!next.empty() && static_cast<int>(out.size()) < kMaxStyleChain) {
        auto it = byId_.find(next);
        if (it == byId_.end() || std::strcmp(it->second.attribute("w:type").value(), type) != 0)
            break;
        if (std::find(out.begin(), out.end(), it->second) != out.end())
            break;
        out.push_back(it->second);
        next = detail::childVal(it->second, "w:basedOn");
    }
    std::reverse(out.begin(), out.end());
    return out;
}

ParaProps StyleSheet::paragraph(const std::string& pStyle, const std::string& tableStyle) const
{
    const std::string key = pStyle + '\n' + tableStyle;
    if (auto it = paraCache_.find(key); it != paraCache_.end())
        return it->second;
    auto p = layered<ParaProps>(pPrDefault_, "w:pPr",
                                {chain(tableStyle, "table"),
                                 chain(pStyle.empty() ? defaultParagraph_ : pStyle, "paragraph")});
    return paraCache_.emplace(key, std::move(p)).first->second;
}

RunProps StyleSheet::run(const std::string& pStyle, const std::string& tableStyle,
                         const std::string& rStyle) const
{
    const std::string key = pStyle + '\n' + tableStyle + '\n' + rStyle;
    if (auto it = runCache_.find(key); it != runCache_.end())
        return it->second;
    auto r = layered<RunProps>(rPrDefault_, "w:rPr",
                               {chain(tableStyle, "table"),
                                chain(pStyle.empty() ? defaultParagraph_ : pStyle, "paragraph"),
                                chain(rStyle, "character")});
    return runCache_.emplace(key, std::move(r)).first->second;
}

TableProps StyleSheet::table(const std::string& tableStyle) const
{
    TableProps t;
    for (auto s : chain(defaultTable_, "table"))
        t.apply(s.child("w:tblPr"));
    if (tableStyle != defaultTable_)
        for (auto s : chain(tableStyle, "table"))
            t.apply(s.child("w:tblPr"));
    return t;
}

} // namespace wordauto::layout
