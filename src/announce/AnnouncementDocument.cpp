#include "announce/AnnouncementDocument.h"

#include "platform/GbkCodec.h"

#include <exception>
#include <pugixml.hpp>

namespace announce {
namespace {

constexpr const char* kMessagePath = "message-list/message";
constexpr std::string_view kXmlWhiteSpace = " \t\r\n";

// Gathers the text of an element's descendants in document order. pugixml walks the tree
// without recursion, so a deeply nested document cannot exhaust the stack.
class CTextGatherer : public pugi::xml_tree_walker {
public:
    bool for_each(pugi::xml_node& node) override {
        if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata) {
            m_text += node.value();
        }
        return true;
    }

    std::string Take() { return std::move(m_text); }

private:
    std::string m_text;
};

std::string_view LocalName(std::string_view name) {
    const auto colon = name.find(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

std::string_view TrimWhiteSpace(std::string_view text) {
    const auto first = text.find_first_not_of(kXmlWhiteSpace);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(kXmlWhiteSpace) - first + 1);
}

std::string FieldText(pugi::xml_node element) {
    CTextGatherer gatherer;
    element.traverse(gatherer);
    return platform::Utf8ToGbkForDisplay(TrimWhiteSpace(gatherer.Take()));
}

CVORNNotificationMessage ReadMessage(pugi::xml_node message) {
    std::string title;
    std::string body;
    std::string url;
    for (const pugi::xml_node child : message.children()) {
        if (child.type() != pugi::node_element) {
            continue;
        }
        const std::string_view name = LocalName(child.name());
        if (name == "title") {
            title = FieldText(child);
        } else if (name == "body") {
            body = FieldText(child);
        } else if (name == "url") {
            url = FieldText(child);
        }
    }
    return {std::move(title), std::move(body), std::move(url)};
}

} // namespace

void ParseAnnouncementDocument(std::string_view gbk, CVORNNotificationMessage& list) {
    list.Clear();
    gbk = gbk.substr(0, gbk.find('\0'));
    const std::string utf8 = platform::GbkToUtf8ForDisplay(gbk);
    try {
        pugi::xml_document document;
        // The encoding is given, so a declaration in the document cannot change it.
        if (!document.load_buffer(utf8.data(), utf8.size(), pugi::parse_default,
                                  pugi::encoding_utf8)) {
            return;
        }
        for (const pugi::xpath_node& message : document.select_nodes(kMessagePath)) {
            list.Add(ReadMessage(message.node()));
        }
    } catch (const std::exception&) {
        // Only memory can run out here; what was read so far stays.
    }
}

} // namespace announce
