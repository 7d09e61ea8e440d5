#include "config/GbkXml.h"

#include "platform/GbkCodec.h"

#include <cerrno>
#include <cstring>
#include <pugixml.hpp>
#include <utility>

namespace config {
namespace {

// Parsing as a fragment keeps text beside the root, which pugixml would otherwise drop
// unseen, so that the check below can refuse it.
constexpr unsigned int kParseOptions =
    pugi::parse_full | pugi::parse_ws_pcdata | pugi::parse_fragment;
constexpr unsigned int kSaveOptions = pugi::format_raw | pugi::format_no_declaration;

class CStringWriter final : public pugi::xml_writer {
public:
    void write(const void* data, size_t size) override {
        m_text.append(static_cast<const char*>(data), size);
    }
    std::string& Text() { return m_text; }

private:
    std::string m_text;
};

// What pugixml takes and an XML parser must refuse. Such a document would read
// differently here than anywhere else, so it is not taken.
class CWellFormedCheck final : public pugi::xml_tree_walker {
public:
    bool for_each(pugi::xml_node& node) override {
        if (depth() == 0) {
            const pugi::xml_node_type type = node.type();
            m_roots += type == pugi::node_element ? 1 : 0;
            m_ok = m_ok && type != pugi::node_cdata &&
                   (type != pugi::node_pcdata || IsWhitespace(node.value()));
        }
        for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
            for (pugi::xml_attribute b = a.next_attribute(); b; b = b.next_attribute()) {
                m_ok = m_ok && std::strcmp(a.name(), b.name()) != 0;
            }
        }
        return m_ok;
    }
    bool Passed() const { return m_ok && m_roots == 1; }

private:
    static bool IsWhitespace(std::string_view text) {
        return text.find_first_not_of(" \t\r\n") == std::string_view::npos;
    }

    bool m_ok = true;
    int m_roots = 0;
};

} // namespace

bool ParseUtf8Xml(std::string_view utf8, pugi::xml_document& document) {
    const pugi::xml_parse_result parsed =
        document.load_buffer(utf8.data(), utf8.size(), kParseOptions, pugi::encoding_utf8);
    CWellFormedCheck check;
    return parsed && document.traverse(check) && check.Passed();
}

std::string SaveUtf8Xml(const pugi::xml_document& document) {
    CStringWriter writer;
    document.save(writer, "", kSaveOptions, pugi::encoding_utf8);
    return std::move(writer.Text());
}

int ParseGbkXml(std::string_view text, pugi::xml_document& document) {
    text = text.substr(0, text.find('\0'));
    const platform::ConvertedText utf8 = platform::GbkToUtf8(text);
    if (!utf8.Ok()) {
        return EILSEQ;
    }
    return ParseUtf8Xml(utf8.text, document) ? 0 : EINVAL;
}

bool WriteGbkXml(const pugi::xml_document& document, std::string& gbk) {
    platform::ConvertedText converted = platform::Utf8ToGbk(SaveUtf8Xml(document));
    if (!converted.Ok()) {
        return false;
    }
    gbk = std::move(converted.text);
    return true;
}

} // namespace config
