#include "wordauto/oxml/file_insert.h"

#include "wordauto/word_error.h"
#include "wordauto/oxml/xml_util.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <limits>
#include <set>
#include <unordered_map>

namespace wordauto::detail {

namespace {

bool is(pugi::xml_node n, const char* name) { return std::strcmp(n.name(), name) == 0; }

class Importer {
public:
    Importer(DocumentModel& target, DocumentModel& source, std::string path)
        : target_(target), source_(source), path_(std::move(path))
    {
    }

    pugi::xml_node run(pugi::xml_node before)
    {
        // The inserted story is parsed straight into the receiving document, beside its own
        // story, and its blocks are moved into place: no copy of every node is made. The
        // holder goes in every case, with whatever the insert did not take.
        struct Holder {
            pugi::xml_node node;
            ~Holder() { node.parent().remove_child(node); }
        } holder{target_.mainXml().append_child("w:inserted")};
        const pugi::xml_node sourceRoot = source_.parseMainInto(holder.node);
        auto body = target_.body();
        if (!body.parent().attribute("xmlns:r"))
            body.parent().append_attribute("xmlns:r") = kRelNs;
        if (!before)
            before = body.child("w:sectPr");
        // The inserted bookmarks are numbered on from the highest id here; a document whose
        // ids already reach that high (crafted) takes no more.
        if (target_.bookmarkIdCeiling() > std::numeric_limits<int>::max() / 2)
            throwFileError("Il documento ha troppi segnalibri per inserirne altri", path_);
        nextBookmarkId_ = target_.bookmarkIdCeiling() + 1;

        std::vector<pugi::xml_node> inserted;
        const auto sourceBody = sourceRoot.child("w:body");
        const auto prefixes = prefixesInScope(sourceBody);
        for (auto block = sourceBody.first_child(); block;) {
            const auto next = block.next_sibling();
            if (!(is(block, "w:sectPr") && !next)) {
                inserted.push_back(before ? body.insert_move_before(block, before) : body.append_move(block));
                storyChanged_ = true;
            }
            block = next;
        }
        carryNamespaces(prefixes, body, inserted);
        for (auto block : inserted)
            rewrite(block);
        copyStyles();
        copyNumbering(inserted);
        return inserted.empty() ? before : inserted.front();
    }

    // Whether blocks were moved into the receiving story: they stay there should a later
    // step fail.
    bool storyChanged() const { return storyChanged_; }

private:
    using Prefixes = std::map<std::string_view, std::string_view>;

    // The namespace each prefix stands for at `node`: the nearest declaration wins.
    static Prefixes prefixesInScope(pugi::xml_node node)
    {
        Prefixes scope;
        for (auto n = node; n.type() == pugi::node_element; n = n.parent())
            for (auto a : n.attributes()) {
                const std::string_view name = a.name();
                if (name.starts_with("xmlns:"))
                    scope.try_emplace(name.substr(6), a.value());
            }
        return scope;
    }

    // Nodes moved from where `prefixes` held to below `to` keep what their prefixes mean: one
    // missing there is declared on the receiving part's root, one bound to another namespace
    // there is declared again on each moved node.
    static void carryNamespaces(const Prefixes& prefixes, pugi::xml_node to,
                                const std::vector<pugi::xml_node>& moved)
    {
        const Prefixes here = prefixesInScope(to);
        auto root = to;
        while (root.parent().type() == pugi::node_element)
            root = root.parent();
        for (const auto& [prefix, uri] : prefixes) {
            const std::string name = "xmlns:" + std::string(prefix);
            const auto found = here.find(prefix);
            if (found == here.end()) {
                root.append_attribute(name.c_str()) = std::string(uri).c_str();
            } else if (found->second != uri) {
                for (auto n : moved)
                    if (n.type() == pugi::node_element && !n.attribute(name.c_str()))
                        n.append_attribute(name.c_str()) = std::string(uri).c_str();
            }
        }
    }

    // A bookmark's new id: the same for its start and its end, one after another for the
    // bookmarks in the order met, so no id of the inserted document can overflow.
    int freshBookmarkId(int old)
    {
        const auto [it, added] = bookmarkIds_.try_emplace(old, nextBookmarkId_);
        if (added)
            ++nextBookmarkId_;
        return it->second;
    }

    void rewrite(pugi::xml_node root)
    {
        std::vector<pugi::xml_node> drop;
        for (auto n = root; n; n = nextInOrder(n, root)) {
            if (n.type() != pugi::node_element)
                continue;
            // Every node of every inserted document comes here: the names that matter are
            // all w: names, told apart by their third letter before any full comparison.
            const char* name = n.name();
            if (name[0] == 'w' && name[1] == ':') {
                switch (name[2]) {
                case 'b':
                    if (is(n, "w:bookmarkStart") || is(n, "w:bookmarkEnd")) {
                        auto id = n.attribute("w:id");
                        const int fresh = freshBookmarkId(id.as_int());
                        id.set_value(fresh);
                        target_.raiseBookmarkIdCeiling(fresh);
                    }
                    break;
                case 'c':
                    if (is(n, "w:commentRangeStart") || is(n, "w:commentRangeEnd"))
                        drop.push_back(n);
                    else if (is(n, "w:commentReference"))
                        drop.push_back(n.parent()); // the comment lives in a part of its own
                    break;
                case 'f':
                case 'e':
                    // Notes live in parts of the inserted document's own; the marks would
                    // point at nothing here.
                    if (is(n, "w:footnoteReference") || is(n, "w:endnoteReference"))
                        drop.push_back(n.parent());
                    break;
                case 'p':
                case 'r':
                case 't':
                    if (is(n, "w:pStyle") || is(n, "w:rStyle") || is(n, "w:tblStyle"))
                        usedStyles_.insert(n.attribute("w:val").value());
                    break;
                case 'n':
                    if (is(n, "w:numId") && is(n.parent(), "w:numPr"))
                        numberingRefs_.push_back(n);
                    break;
                default:
                    break;
                }
            }
            for (auto a : n.attributes()) {
                const char* an = a.name();
                if (an[0] == 'r' && an[1] == ':')
                    a.set_value(remapRelationship(a.value()).c_str());
            }
        }
        for (auto n : drop)
            if (n.parent()) {
                n.parent().remove_child(n);
                removedNodes_ = true;
            }
    }

    std::string remapRelationship(const std::string& id)
    {
        auto it = relMap_.find(id);
        if (it != relMap_.end())
            return it->second;
        for (const auto& rel : source_.package().relationships(source_.mainPartName())) {
            if (rel.id != id)
                continue;
            opc::Relationship copy = rel;
            if (!rel.external) {
                const std::string part = copyPart(
                    opc::Package::resolveTarget(source_.mainPartName(), rel.target));
                copy.target = opc::absolutePartName(part);
            }
            copy.id = freshRelId();
            targetRels().push_back(copy);
            target_.package().setRelationships(target_.mainPartName(), targetRels());
            relMap_[id] = copy.id;
            return copy.id;
        }
        return id; // a dangling id stays as dangling as it was
    }

    std::vector<opc::Relationship>& targetRels()
    {
        if (!relsLoaded_) {
            rels_ = target_.package().relationships(target_.mainPartName());
            relsLoaded_ = true;
        }
        return rels_;
    }

    std::string freshRelId()
    {
        auto& rels = targetRels();
        for (int n = static_cast<int>(rels.size()) + 1;; ++n) {
            const std::string id = "rId" + std::to_string(n);
            bool taken = false;
            for (const auto& r : rels)
                taken = taken || r.id == id;
            if (!taken)
                return id;
        }
    }

    std::string copyPart(const std::string& sourcePart)
    {
        auto it = partMap_.find(sourcePart);
        if (it != partMap_.end())
            return it->second;
        auto& to = target_.package();
        auto& from = source_.package();
        std::string name = sourcePart;
        const auto dot = sourcePart.find_last_of('.');
        for (int i = 1; to.hasPart(name); ++i)
            name = sourcePart.substr(0, dot) + "_" + std::to_string(i) + sourcePart.substr(dot);
        partMap_[sourcePart] = name;
        const std::string type = from.contentType(sourcePart);
        // A part of XML must pass what a part read here passes, and goes into the result
        // written from what was read: bytes only a lenient parser takes do not go along.
        if (isXmlPart(sourcePart, type)) {
            pugi::xml_document checked;
            loadXml(checked, from.part(sourcePart), sourcePart, from.displayPath());
            to.setPart(name, saveXml(checked));
        } else {
            to.setPart(name, from.part(sourcePart));
        }
        if (!type.empty() && to.contentType(name) != type)
            to.setOverride(name, type);
        auto rels = from.relationships(sourcePart);
        if (!rels.empty()) {
            for (auto& r : rels)
                if (!r.external)
                    r.target = opc::absolutePartName(copyPart(opc::Package::resolveTarget(sourcePart, r.target)));
            to.setRelationships(name, rels);
        }
        return name;
    }

    void copyStyles()
    {
        if (usedStyles_.empty())
            return;
        if (auto* existing = target_.relatedXml(opc::reltype::styles, false)) {
            // Mostly every style is there already: the inserted document's styles need no
            // reading then.
            std::set<std::string> present;
            for (auto s : existing->document_element().children("w:style"))
                present.insert(s.attribute("w:styleId").value());
            if (std::includes(present.begin(), present.end(), usedStyles_.begin(), usedStyles_.end()))
                return;
        }
        auto* from = source_.relatedXml(opc::reltype::styles, false);
        if (!from)
            return;
        auto* to = target_.relatedXml(opc::reltype::styles, true);
        std::set<std::string> present;
        for (auto s : to->document_element().children("w:style"))
            present.insert(s.attribute("w:styleId").value());
        std::map<std::string, pugi::xml_node> sourceStyles;
        for (auto s : from->document_element().children("w:style"))
            sourceStyles.emplace(s.attribute("w:styleId").value(), s);
        std::vector<std::string> pending(usedStyles_.begin(), usedStyles_.end());
        bool changed = false;
        while (!pending.empty()) {
            const std::string id = pending.back();
            pending.pop_back();
            if (present.count(id))
                continue;
            auto it = sourceStyles.find(id);
            if (it == sourceStyles.end())
                continue;
            present.insert(id);
            auto copy = to->document_element().append_copy(it->second);
            copiedStyles_.push_back(copy);
            changed = true;
            for (const char* link : {"w:basedOn", "w:next", "w:link"})
                if (auto v = copy.child(link).attribute("w:val"))
                    pending.push_back(v.value());
        }
        if (!changed)
            return;
        carryNamespaces(prefixesInScope(from->document_element()), to->document_element(), copiedStyles_);
        target_.markPartChanged(target_.relatedPartName(opc::reltype::styles));
    }

    void copyNumbering(const std::vector<pugi::xml_node>& inserted)
    {
        std::vector<pugi::xml_node> refs;
        auto gather = [&](pugi::xml_node root) {
            for (auto n = root; n; n = nextInOrder(n, root))
                if (is(n, "w:numId") && is(n.parent(), "w:numPr"))
                    refs.push_back(n);
        };
        // rewrite gathered the inserted blocks' references, unless it removed nodes that
        // some of them may have been in.
        if (removedNodes_) {
            for (auto b : inserted)
                gather(b);
        } else {
            refs = numberingRefs_;
        }
        for (auto s : copiedStyles_)
            gather(s);
        if (refs.empty())
            return;
        auto* from = source_.relatedXml(opc::reltype::numbering, false);
        if (!from)
            return;
        auto* to = target_.relatedXml(opc::reltype::numbering, true);
        auto toRoot = to->document_element();
        auto fromRoot = from->document_element();
        int maxAbstract = -1;
        int maxNum = 0;
        for (auto a : toRoot.children("w:abstractNum"))
            maxAbstract = std::max(maxAbstract, a.attribute("w:abstractNumId").as_int());
        for (auto n : toRoot.children("w:num"))
            maxNum = std::max(maxNum, n.attribute("w:numId").as_int());
        std::map<std::string, std::string> numMap;
        std::vector<pugi::xml_node> copies;
        for (auto ref : refs) {
            const std::string old = ref.attribute("w:val").value();
            if (old == "0")
                continue; // numbering switched off
            auto mapped = numMap.find(old);
            if (mapped == numMap.end()) {
                pugi::xml_node num = fromRoot.find_child_by_attribute("w:num", "w:numId", old.c_str());
                if (!num)
                    continue;
                const std::string abstractId = std::string(childVal(num, "w:abstractNumId"));
                pugi::xml_node abstract =
                    fromRoot.find_child_by_attribute("w:abstractNum", "w:abstractNumId", abstractId.c_str());
                // Schema order: every w:abstractNum before the first w:num.
                auto firstNum = toRoot.child("w:num");
                if (abstract) {
                    auto copy = firstNum ? toRoot.insert_copy_before(abstract, firstNum)
                                         : toRoot.append_copy(abstract);
                    copy.attribute("w:abstractNumId").set_value(++maxAbstract);
                    copies.push_back(copy);
                }
                auto numCopy = toRoot.append_copy(num);
                copies.push_back(numCopy);
                numCopy.attribute("w:numId").set_value(++maxNum);
                if (abstract)
                    numCopy.child("w:abstractNumId").attribute("w:val").set_value(maxAbstract);
                mapped = numMap.emplace(old, std::to_string(maxNum)).first;
            }
            ref.attribute("w:val").set_value(mapped->second.c_str());
        }
        carryNamespaces(prefixesInScope(fromRoot), toRoot, copies);
        target_.markPartChanged(target_.relatedPartName(opc::reltype::numbering));
    }

    DocumentModel& target_;
    DocumentModel& source_;
    std::map<std::string, std::string> relMap_;
    std::map<std::string, std::string> partMap_;
    std::vector<opc::Relationship> rels_;
    bool relsLoaded_ = false;
    std::set<std::string> usedStyles_;
    std::vector<pugi::xml_node> copiedStyles_;
    std::vector<pugi::xml_node> numberingRefs_;
    bool removedNodes_ = false;
    bool storyChanged_ = false;
    std::unordered_map<int, int> bookmarkIds_;
    int nextBookmarkId_ = 1;
    std::string path_;
};

} // namespace

pugi::xml_node insertDocumentBody(DocumentModel& target, pugi::xml_node before,
                                  const std::string& path)
{
    auto source = DocumentModel::openForInsert(path);
    Importer importer(target, *source, path);
    try {
        auto first = importer.run(before);
        target.touchStructure();
        return first;
    } catch (...) {
        // Blocks moved in before the failure stay: the fields, the rows and the next save must
        // know of them.
        if (importer.storyChanged())
            target.touchStructure();
        throw;
    }
}

} // namespace wordauto::detail
