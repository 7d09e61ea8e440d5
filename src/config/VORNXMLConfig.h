#pragma once

#include "config/ServerSettings.h"
#include "config/UserInfo.h"
#include "config/VORNConfig.h"
#include "platform/FixedText.h"

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace pugi {
class xml_document;
class xml_node;
} // namespace pugi

namespace config {

// The outcome of one call on the document, in place of the DOM's result codes.
enum class DocResult {
    Ok,       // done
    NotFound, // a single-node selection or attribute lookup matched nothing
    Failed,   // the call itself failed (bad path, no memory, text not convertible)
};

// The settings of CVORNConfig over one XML document in memory, found by fixed selection
// paths. Its own Load and Save use the plain file "config.xml" in its folder. Texts at the
// interface are GBK. A document is read as UTF-8 when it starts with a byte-order mark or
// its declaration names UTF-8, as GBK otherwise; it is written as GBK, characters that GBK
// lacks as character references, without any whitespace added. Every failure leaves one
// line in the last-error text. One thread at a time may use an object.
class CVORNXMLConfig : public CVORNConfig {
public:
    // folder holds the store's files; an empty path is the current directory at each call.
    explicit CVORNXMLConfig(std::filesystem::path folder = {});
    ~CVORNXMLConfig() override;
    CVORNXMLConfig(const CVORNXMLConfig&) = delete;
    CVORNXMLConfig& operator=(const CVORNXMLConfig&) = delete;

    bool GetConPrompt() override;
    void SetConPrompt(bool on) override;
    bool Load() override;
    bool Save() override;
    bool GetUserList(std::span<UserInfo> records, std::size_t& count) override;
    bool AddUser(const UserInfo& record) override;
    bool DeleteAllUsers() override;
    bool SetDefaultUser(std::string_view name) override;
    bool GetDefaultUser(UserText& name) override;
    bool GetAutoLogon() override;
    void SetAutoLogon(bool on) override;
    bool GetReconnect() override;
    void SetReconnect(bool on) override;
    bool GetHBSCam(HBSText& text) override;
    bool SetHBSCam(std::string_view text) override;
    bool GetHBSDom(HBSText& text) override;
    bool SetHBSDom(std::string_view text) override;
    bool GetHBSInt(HBSText& text) override;
    bool SetHBSInt(std::string_view text) override;

    // True for DocResult::Ok; otherwise records "Fail!ErrorCode %d\n" with errno and
    // answers false.
    virtual bool CheckResult(DocResult result);

    // Removes the first saved account named exactly name (byte for byte). False when none
    // matched, or when the search met an account without a name before finding one.
    virtual bool DeleteUser(std::string_view name);

    // The optional Server element. Fields that are missing or unusable stay empty.
    ServerSettings GetServerSettings();

    // Replaces the document with the one in text (up to its first NUL byte). On false the
    // document is kept and the last error reads "Error Number:%d\n".
    bool LoadXml(std::string_view text);

    // The document serialised as GBK text. False when there is no document to serialise, or
    // when it holds a character that GBK lacks where no character reference may stand.
    bool GetXml(std::string& text);

    // The last failure's text; empty until something fails.
    std::string_view GetLastError() const { return m_szLastError.View(); }

    // Where the store's files are.
    std::filesystem::path FilePath(std::string_view name) const;

protected:
    // Records one of the store's messages, %d being errno as it is now.
    void RecordError(const char* format);

    platform::CFixedText<4096> m_szLastError;
    std::unique_ptr<pugi::xml_document> m_pDocument;

private:
    bool GetSwitch(const char* name);
    void SetSwitch(const char* path, bool on);
    bool GetElementText(const char* path, std::size_t maxLength, std::string& text);
    bool NodeTextAsGbk(const pugi::xml_node& node, std::string& gbk);
    bool CollectUsers(std::size_t capacity, std::vector<UserInfo>& users);

    std::filesystem::path m_folder;
};

} // namespace config
