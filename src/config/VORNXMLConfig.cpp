#include "config/VORNXMLConfig.h"

#include "config/GbkXml.h"
#include "platform/BinaryFile.h"
#include "platform/GbkCodec.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <pugixml.hpp>
#include <string_view>
#include <utility>

namespace config {
namespace {

constexpr const char* kPlainFileName = "config.xml";

// A settings document is never larger than what a sealed file can give back.
constexpr std::size_t kMaxPlainFileBytes = 32767;

constexpr const char* kCallFailed = "Fail!ErrorCode %d\n";
constexpr const char* kLoadFailed = "Error Number:%d\n";
constexpr const char* kCreateFailed =
    "Error in initializing COM Interface for DOMDocument,Error number=%d";

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

constexpr const char* kRootPath = "VORNClientConfig";
constexpr const char* kStylePath = "VORNClientConfig/Style";
constexpr const char* kLogPath = "VORNClientConfig/Log";
constexpr const char* kUserListPath = "VORNClientConfig/Log/UserInfo";
constexpr const char* kServerPath = "VORNClientConfig/Server";

// Whether the XML declaration at the start of text names UTF-8 as the encoding.
bool DeclaresUtf8(std::string_view text) {
    if (text.substr(0, 5) != "<?xml") {
        return false;
    }
    const std::string_view declaration = text.substr(0, text.find("?>"));
    const std::size_t name = declaration.find("encoding");
    const std::size_t quote =
        name == std::string_view::npos ? name : declaration.find_first_of("\"'", name);
    if (quote == std::string_view::npos) {
        return false;
    }
    const std::size_t end = declaration.find(declaration[quote], quote + 1);
    std::string value(declaration.substr(quote + 1, end - quote - 1));
    for (char& c : value) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return value == "utf-8" || value == "utf8";
}

// The document text as UTF-8: UTF-8 when it starts with a byte-order mark or declares
// UTF-8, GBK otherwise. False when it is not valid in that encoding.
bool DocumentTextAsUtf8(std::string_view text, std::string& utf8, bool& wasUtf8) {
    wasUtf8 = text.substr(0, kUtf8ByteOrderMark.size()) == kUtf8ByteOrderMark;
    if (wasUtf8) {
        text.remove_prefix(kUtf8ByteOrderMark.size());
    }
    wasUtf8 = wasUtf8 || DeclaresUtf8(text);
    if (wasUtf8) {
        utf8.assign(text);
        return platform::IsValidUtf8(text);
    }
    platform::ConvertedText converted = platform::GbkToUtf8(text);
    utf8 = std::move(converted.text);
    return converted.Ok();
}

DocResult Fail(int code) {
    errno = code;
    return DocResult::Failed;
}

DocResult NotFound() {
    errno = ENOENT;
    return DocResult::NotFound;
}

// Runs one XPath selection from a node, turning pugixml's exceptions into results.
template <typename Select>
DocResult RunSelection(const pugi::xml_node& from, const char* path, Select select) {
    if (!from) {
        return Fail(ENOENT);
    }
    try {
        const pugi::xpath_query query(path);
        select(query);
    } catch (const pugi::xpath_exception&) {
        return Fail(EINVAL);
    } catch (const std::bad_alloc&) {
        return Fail(ENOMEM);
    }
    return DocResult::Ok;
}

DocResult SelectNode(const pugi::xml_node& from, const char* path, pugi::xpath_node& found) {
    const DocResult selected = RunSelection(
        from, path, [&](const pugi::xpath_query& query) { found = from.select_node(query); });
    if (selected != DocResult::Ok) {
        return selected;
    }
    return found ? DocResult::Ok : NotFound();
}

// An empty list is a success: nothing matched.
DocResult SelectNodes(const pugi::xml_node& from, const char* path, pugi::xpath_node_set& list) {
    return RunSelection(from, path,
                        [&](const pugi::xpath_query& query) { list = from.select_nodes(query); });
}

DocResult ToGbk(std::string_view utf8, std::string& gbk) {
    platform::ConvertedText converted = platform::Utf8ToGbk(utf8);
    if (!converted.Ok()) {
        return Fail(EILSEQ);
    }
    gbk = std::move(converted.text);
    return DocResult::Ok;
}

// A NUL byte cannot be held in a document, so text with one is refused rather than cut.
DocResult ToUtf8(std::string_view gbk, std::string& utf8) {
    if (gbk.find('\0') != std::string_view::npos) {
        return Fail(EILSEQ);
    }
    platform::ConvertedText converted = platform::GbkToUtf8(gbk);
    if (!converted.Ok()) {
        return Fail(EILSEQ);
    }
    utf8 = std::move(converted.text);
    return DocResult::Ok;
}

// An element's text is all the character data inside it, as a DOM's text property has it.
void AppendNodeText(const pugi::xml_node& node, std::string& text) {
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
        if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata) {
            text += child.value();
        } else if (child.type() == pugi::node_element) {
            AppendNodeText(child, text);
        }
    }
}

bool SetNodeText(pugi::xml_node& node, const std::string& text) {
    return node.remove_children() && node.append_child(pugi::node_pcdata).set_value(text.c_str());
}

} // namespace

CVORNXMLConfig::CVORNXMLConfig(std::filesystem::path folder) : m_folder(std::move(folder)) {
    m_pDocument.reset(new (std::nothrow) pugi::xml_document());
    if (!m_pDocument) {
        RecordError(kCreateFailed);
    }
}

CVORNXMLConfig::~CVORNXMLConfig() = default;

std::filesystem::path CVORNXMLConfig::FilePath(std::string_view name) const {
    return m_folder / name;
}

void CVORNXMLConfig::RecordError(const char* format) {
    const int code = errno;
    char message[128];
    std::snprintf(message, sizeof message, format, code);
    m_szLastError.AssignCut(message);
}

bool CVORNXMLConfig::CheckResult(DocResult result) {
    if (result == DocResult::Ok) {
        return true;
    }
    RecordError(kCallFailed);
    return false;
}

bool CVORNXMLConfig::LoadXml(std::string_view text) {
    if (!m_pDocument) {
        errno = ENOMEM;
        RecordError(kLoadFailed);
        return false;
    }
    // The text ends at its first NUL, as a C string would.
    text = text.substr(0, text.find('\0'));
    std::string utf8;
    bool wasUtf8 = false;
    if (!DocumentTextAsUtf8(text, utf8, wasUtf8)) {
        errno = EILSEQ;
        RecordError(kLoadFailed);
        return false;
    }
    // Parsed into a document of its own: a failed parse leaves part of a tree behind, and
    // the document in use stays as it was.
    std::unique_ptr<pugi::xml_document> document(new (std::nothrow) pugi::xml_document());
    if (!document) {
        errno = ENOMEM;
        RecordError(kLoadFailed);
        return false;
    }
    if (!ParseUtf8Xml(utf8, *document)) {
        errno = EINVAL;
        RecordError(kLoadFailed);
        return false;
    }
    // Saved, the document is GBK: its declaration must say so.
    const pugi::xml_node declaration = document->first_child();
    if (wasUtf8 && declaration.type() == pugi::node_declaration &&
        declaration.attribute("encoding")) {
        declaration.attribute("encoding").set_value("GBK");
    }
    m_pDocument = std::move(document);
    return true;
}

bool CVORNXMLConfig::GetXml(std::string& text) {
    // A store that holds nothing must not write an empty file over the one on disk.
    if (!m_pDocument || !m_pDocument->document_element()) {
        return CheckResult(NotFound());
    }
    const std::string utf8 = SaveUtf8Xml(*m_pDocument);
    if (ToGbk(utf8, text) == DocResult::Ok) {
        return true;
    }
    // Characters that GBK lacks are written as character references, which read back as
    // the same characters; where a reference is not allowed (a name) the text is refused.
    platform::ConvertedText gbk = platform::Utf8ToGbkXml(utf8);
    const platform::ConvertedText readBack = platform::GbkToUtf8(gbk.text);
    pugi::xml_document check;
    if (!gbk.Ok() || !readBack.Ok() || !ParseUtf8Xml(readBack.text, check)) {
        return CheckResult(Fail(EILSEQ));
    }
    text = std::move(gbk.text);
    return true;
}

bool CVORNXMLConfig::Load() {
    std::string text;
    if (platform::ReadFileUpTo(FilePath(kPlainFileName), kMaxPlainFileBytes, text) !=
        platform::ReadFileStatus::Ok) {
        RecordError(kLoadFailed);
        return false;
    }
    return LoadXml(text);
}

bool CVORNXMLConfig::Save() {
    std::string text;
    if (!GetXml(text)) {
        return false;
    }
    return CheckResult(platform::WriteFileAtomically(FilePath(kPlainFileName), text, 0600)
                           ? DocResult::Ok
                           : DocResult::Failed);
}

bool CVORNXMLConfig::GetSwitch(const char* name) {
    pugi::xpath_node style;
    if (!CheckResult(SelectNode(*m_pDocument, kStylePath, style))) {
        return false;
    }
    const pugi::xml_attribute attribute = style.node().attribute(name);
    if (!CheckResult(attribute ? DocResult::Ok : NotFound())) {
        return false;
    }
    return std::strcmp(attribute.value(), "false") != 0;
}

void CVORNXMLConfig::SetSwitch(const char* path, bool on) {
    pugi::xpath_node found;
    if (!CheckResult(SelectNode(*m_pDocument, path, found))) {
        return;
    }
    pugi::xml_attribute attribute = found.attribute();
    CheckResult(attribute.set_value(on ? "true" : "false") ? DocResult::Ok : Fail(EINVAL));
}

bool CVORNXMLConfig::GetConPrompt() {
    return m_pDocument && GetSwitch("ConPrompt");
}

void CVORNXMLConfig::SetConPrompt(bool on) {
    if (m_pDocument) {
        SetSwitch("VORNClientConfig/Style/@ConPrompt", on);
    }
}

bool CVORNXMLConfig::GetAutoLogon() {
    return m_pDocument && GetSwitch("AutoLogon");
}

void CVORNXMLConfig::SetAutoLogon(bool on) {
    if (m_pDocument) {
        SetSwitch("VORNClientConfig/Style/@AutoLogon", on);
    }
}

bool CVORNXMLConfig::GetReconnect() {
    return m_pDocument && GetSwitch("Reconnect");
}

void CVORNXMLConfig::SetReconnect(bool on) {
    pugi::xpath_node root;
    if (!m_pDocument || !CheckResult(SelectNode(*m_pDocument, kRootPath, root))) {
        return;
    }
    pugi::xml_node style = root.node().child("Style");
    if (!style) {
        style = root.node().prepend_child("Style");
    }
    pugi::xml_attribute attribute = style.attribute("Reconnect");
    if (!attribute) {
        attribute = style.append_attribute("Reconnect");
    }
    CheckResult(attribute.set_value(on ? "true" : "false") ? DocResult::Ok : Fail(ENOMEM));
}

bool CVORNXMLConfig::CollectUsers(std::size_t capacity, std::vector<UserInfo>& users) {
    pugi::xpath_node_set list;
    if (!m_pDocument || !CheckResult(SelectNodes(*m_pDocument, kUserListPath, list))) {
        return false;
    }
    for (const pugi::xpath_node& item : list) {
        if (users.size() >= capacity) {
            break;
        }
        UserInfo record;
        bool fits = true;
        for (const pugi::xml_attribute& attribute : item.node().attributes()) {
            const std::string_view name = attribute.name();
            std::string value;
            if (name != "Username" && name != "Password" && name != "Access") {
                continue;
            }
            // An account that GBK cannot name is passed over, as one too long for a record.
            if (ToGbk(attribute.value(), value) != DocResult::Ok) {
                fits = false;
                continue;
            }
            if (name == "Username") {
                fits = record.username.Assign(value) && fits;
            } else if (name == "Password") {
                fits = record.password.Assign(value) && fits;
                record.savePassword = true;
            } else {
                record.access = value == "overall" ? ACCESS_OVERALL : ACCESS_DOMESTIC;
            }
        }
        // A cut name would be another account and a cut password a wrong one.
        if (fits) {
            users.push_back(std::move(record));
        }
    }
    return true;
}

bool CVORNXMLConfig::GetUserList(std::span<UserInfo> records, std::size_t& count) {
    std::vector<UserInfo> users;
    if (!CollectUsers(records.size(), users)) {
        return false;
    }
    std::move(users.begin(), users.end(), records.begin());
    count = users.size();
    return true;
}

bool CVORNXMLConfig::AddUser(const UserInfo& record) {
    DeleteUser(record.username.View());
    pugi::xpath_node log;
    std::string name;
    std::string password;
    if (!m_pDocument || !CheckResult(SelectNode(*m_pDocument, kLogPath, log)) ||
        !CheckResult(ToUtf8(record.username.View(), name)) ||
        (record.savePassword && !CheckResult(ToUtf8(record.password.View(), password)))) {
        return false;
    }
    pugi::xml_node parent = log.node();
    pugi::xml_node element = parent.append_child("UserInfo");
    if (!CheckResult(element ? DocResult::Ok : Fail(ENOMEM))) {
        return false;
    }
    const bool built =
        element.append_attribute("Username").set_value(name.c_str()) &&
        element.append_attribute("Access").set_value(
            record.access == ACCESS_OVERALL ? "overall" : "domestic") &&
        (!record.savePassword || element.append_attribute("Password").set_value(password.c_str()));
    if (!built) {
        parent.remove_child(element);
        return CheckResult(Fail(ENOMEM));
    }
    return true;
}

bool CVORNXMLConfig::DeleteUser(std::string_view name) {
    pugi::xpath_node_set list;
    if (!m_pDocument || !CheckResult(SelectNodes(*m_pDocument, kUserListPath, list))) {
        return false;
    }
    if (list.empty()) {
        return CheckResult(NotFound());
    }
    std::string wanted;
    if (!CheckResult(ToUtf8(name, wanted))) {
        return false;
    }
    for (const pugi::xpath_node& item : list) {
        const pugi::xml_node element = item.node();
        const pugi::xml_attribute username = element.attribute("Username");
        if (!CheckResult(username ? DocResult::Ok : NotFound())) {
            return false;
        }
        if (wanted == username.value()) {
            pugi::xml_node parent = element.parent();
            return CheckResult(parent.remove_child(element) ? DocResult::Ok : Fail(EINVAL));
        }
    }
    return CheckResult(NotFound());
}

bool CVORNXMLConfig::DeleteAllUsers() {
    pugi::xpath_node log;
    pugi::xpath_node_set list;
    if (!m_pDocument || !CheckResult(SelectNode(*m_pDocument, kLogPath, log)) ||
        !CheckResult(SelectNodes(log.node(), "UserInfo", list))) {
        return false;
    }
    pugi::xml_node parent = log.node();
    for (const pugi::xpath_node& item : list) {
        if (!CheckResult(parent.remove_child(item.node()) ? DocResult::Ok : Fail(EINVAL))) {
            return false;
        }
    }
    return true;
}

bool CVORNXMLConfig::SetDefaultUser(std::string_view name) {
    if (name.empty()) {
        return true;
    }
    // GetDefaultUser could not give back a longer name, and no account can have one.
    if (name.size() > UserText::kMaxLength) {
        return CheckResult(Fail(EOVERFLOW));
    }
    pugi::xpath_node log;
    std::string text;
    if (!m_pDocument || !CheckResult(ToUtf8(name, text)) ||
        !CheckResult(SelectNode(*m_pDocument, kLogPath, log))) {
        return false;
    }
    pugi::xpath_node found;
    const DocResult selected = SelectNode(log.node(), "DefaultUser", found);
    if (selected == DocResult::NotFound) {
        pugi::xml_node parent = log.node();
        pugi::xml_node element = parent.append_child("DefaultUser");
        if (!element || !SetNodeText(element, text)) {
            parent.remove_child(element);
            return CheckResult(Fail(ENOMEM));
        }
        return true;
    }
    if (!CheckResult(selected)) {
        return false;
    }
    pugi::xml_node element = found.node();
    return CheckResult(SetNodeText(element, text) ? DocResult::Ok : Fail(ENOMEM));
}

bool CVORNXMLConfig::NodeTextAsGbk(const pugi::xml_node& node, std::string& gbk) {
    std::string utf8;
    AppendNodeText(node, utf8);
    return CheckResult(ToGbk(utf8, gbk));
}

bool CVORNXMLConfig::GetElementText(const char* path, std::size_t maxLength, std::string& text) {
    pugi::xpath_node found;
    if (!m_pDocument || !CheckResult(SelectNode(*m_pDocument, path, found))) {
        return false;
    }
    std::string gbk;
    if (!NodeTextAsGbk(found.node(), gbk)) {
        return false;
    }
    // Cutting would hand over another name or another port, so a long text is refused.
    if (gbk.size() > maxLength) {
        return CheckResult(Fail(EOVERFLOW));
    }
    text = std::move(gbk);
    return true;
}

bool CVORNXMLConfig::GetDefaultUser(UserText& name) {
    name.Clear();
    pugi::xpath_node log;
    pugi::xpath_node found;
    if (!m_pDocument || !CheckResult(SelectNode(*m_pDocument, kLogPath, log)) ||
        !CheckResult(SelectNode(log.node(), "DefaultUser", found))) {
        return false;
    }
    std::string gbk;
    if (!NodeTextAsGbk(found.node(), gbk)) {
        return false;
    }
    return CheckResult(name.Assign(gbk) ? DocResult::Ok : Fail(EOVERFLOW));
}

bool CVORNXMLConfig::GetHBSCam(HBSText& text) {
    text.Clear();
    std::string value;
    return GetElementText("VORNClientConfig/HBSCam", HBSText::kMaxLength, value) &&
           text.Assign(value);
}

bool CVORNXMLConfig::GetHBSDom(HBSText& text) {
    text.Clear();
    std::string value;
    return GetElementText("VORNClientConfig/HBSDom", HBSText::kMaxLength, value) &&
           text.Assign(value);
}

bool CVORNXMLConfig::GetHBSInt(HBSText& text) {
    text.Clear();
    std::string value;
    return GetElementText("VORNClientConfig/HBSInt", HBSText::kMaxLength, value) &&
           text.Assign(value);
}

bool CVORNXMLConfig::SetHBSCam(std::string_view) {
    return false;
}

bool CVORNXMLConfig::SetHBSDom(std::string_view) {
    return false;
}

bool CVORNXMLConfig::SetHBSInt(std::string_view) {
    return false;
}

ServerSettings CVORNXMLConfig::GetServerSettings() {
    ServerSettings settings;
    pugi::xpath_node server;
    // The element is optional: its absence is no failure.
    if (!m_pDocument || SelectNode(*m_pDocument, kServerPath, server) != DocResult::Ok) {
        return settings;
    }
    const pugi::xml_node element = server.node();
    // Usable values are ASCII, which reads the same in UTF-8 and GBK.
    const auto host = [&element](const char* name) -> std::optional<std::string> {
        const std::string_view value = element.attribute(name).value();
        return IsUsableHostName(value) ? std::optional<std::string>(value) : std::nullopt;
    };
    settings.host = host("Host");
    settings.cardHost = host("CardHost");
    settings.tlsPort = ParsePort(element.attribute("Port").value());
    settings.httpPort = ParsePort(element.attribute("HttpPort").value());
    const std::string_view mail = element.attribute("SupportMail").value();
    if (IsUsableMailAddress(mail)) {
        settings.supportMail = std::string(mail);
    }
    return settings;
}

} // namespace config
