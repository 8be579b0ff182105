#include "bench/inflate_parse.h"

#include <pugixml.hpp>
#include <zip.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace benchbaseline {

std::string inflateMainPart(const std::string& packageBytes)
{
    zip_error_t err;
    zip_error_init(&err);
    zip_source_t* src = zip_source_buffer_create(packageBytes.data(), packageBytes.size(), 0, &err);
    zip_error_fini(&err);
    zip_t* z = src ? zip_open_from_source(src, ZIP_RDONLY, nullptr) : nullptr;
    if (!z) {
        if (src)
            zip_source_free(src);
        throw std::runtime_error("the list is not a zip package");
    }
    std::string xml;
    zip_stat_t st;
    zip_stat_init(&st);
    zip_file_t* f = zip_stat(z, "word/document.xml", 0, &st) == 0 && (st.valid & ZIP_STAT_SIZE)
                        ? zip_fopen_index(z, st.index, 0)
                        : nullptr;
    if (f) {
        xml.resize(st.size);
        if (zip_fread(f, xml.data(), xml.size()) != static_cast<zip_int64_t>(xml.size()))
            xml.clear();
        zip_fclose(f);
    }
    zip_discard(z);
    if (xml.empty())
        throw std::runtime_error("word/document.xml cannot be read");
    return xml;
}

std::string readFile(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::size_t inflateAndParse(const std::filesystem::path& file)
{
    std::unique_ptr<pugi::xml_document> doc;
    return inflateAndParse(file, doc);
}

std::size_t inflateAndParse(const std::filesystem::path& file, std::unique_ptr<pugi::xml_document>& kept)
{
    const std::string xml = inflateMainPart(readFile(file));
    kept = std::make_unique<pugi::xml_document>();
    pugi::xml_document& doc = *kept;
    const auto r = doc.load_buffer(xml.data(), xml.size(), pugi::parse_default | pugi::parse_ws_pcdata,
                                   pugi::encoding_utf8);
    if (!r)
        throw std::runtime_error(std::string("word/document.xml does not parse: ") + r.description());
    std::size_t n = 0;
    for (auto c : doc.document_element().first_child().children())
        n += c ? 1 : 0;
    return n;
}

} // namespace benchbaseline
