#pragma once

// A conforming XML parser with namespaces (libxml2), for the tests and the fuzzer only: what the
// library writes must be read by it as it is by Word. The library itself never links it.

#include "wordauto/opc/package.h"
#include "wordauto/word_error.h"

#include <libxml/parser.h>

#include <optional>
#include <string>
#include <string_view>

namespace testsupport {

// Why libxml2 refuses the text as namespace-well-formed XML, or nothing when it reads it.
// Its own bounds on depth and sizes are not rules of XML and are lifted.
inline std::optional<std::string> conformanceFault(const std::string& xml)
{
    struct Errors {
        std::string first;
        static void collect(void* self, xmlErrorPtr e)
        {
            auto& text = static_cast<Errors*>(self)->first;
            if (text.empty() && e && e->message && e->level >= XML_ERR_ERROR)
                text = e->message;
        }
    } errors;
    xmlParserCtxtPtr ctxt = xmlNewParserCtxt();
    if (!ctxt)
        return std::string("libxml2: no parser context");
    xmlSetStructuredErrorFunc(&errors, &Errors::collect);
    xmlDocPtr doc = xmlCtxtReadMemory(ctxt, xml.data(), static_cast<int>(xml.size()), "part.xml", nullptr,
                                      XML_PARSE_NONET | XML_PARSE_HUGE | XML_PARSE_NOWARNING);
    const bool sound = doc && ctxt->wellFormed && ctxt->nsWellFormed;
    xmlSetStructuredErrorFunc(nullptr, nullptr);
    std::optional<std::string> fault;
    if (!sound)
        fault = errors.first.empty() ? std::string("not well-formed") : errors.first;
    if (doc)
        xmlFreeDoc(doc);
    xmlFreeParserCtxt(ctxt);
    return fault;
}

inline bool isXmlPartName(std::string_view name)
{
    return name.ends_with(".xml") || name.ends_with(".rels");
}

// The first XML part of the package that libxml2 refuses, as "part: reason".
inline std::optional<std::string> packageConformanceFault(const std::string& bytes)
{
    auto pkg = wordauto::opc::Package::fromBytes(bytes, "saved.docx");
    for (const auto& name : pkg.partNames()) {
        if (!isXmlPartName(name))
            continue;
        if (auto fault = conformanceFault(pkg.part(name)))
            return name + ": " + *fault;
    }
    return std::nullopt;
}

} // namespace testsupport
