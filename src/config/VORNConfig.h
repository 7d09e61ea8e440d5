#pragma once

#include "config/UserInfo.h"
#include "platform/FixedText.h"

#include <cstddef>
#include <span>
#include <string_view>

namespace config {

// A heartbeat entry ("server:port") is read into a 256-byte buffer: at most 255 bytes.
inline constexpr std::size_t kHBSTextSize = 256;
using HBSText = platform::CFixedText<kHBSTextSize>;

// What the client remembers between runs: two switches, the saved accounts, the default
// account and the heartbeat servers. Texts are GBK. Setters change the document in memory
// only; nothing reaches the disk until Save. One thread at a time may use an object.
class CVORNConfig {
public:
    virtual ~CVORNConfig() = default;

    // Whether the arrears prompt follows a connect: off only for exactly "false". False too
    // when the switch is missing.
    virtual bool GetConPrompt() = 0;
    // Writes "true" or "false" into the existing switch; a missing switch is not created.
    virtual void SetConPrompt(bool on) = 0;

    // Replaces the document in memory with the store's file; on false the old one stays.
    virtual bool Load() = 0;
    // Writes the document in memory to the store's file.
    virtual bool Save() = 0;

    // Fills records from the saved accounts in document order, at most records.size() of
    // them, and answers the number filled in count. An account whose name or password is
    // longer than a record holds, or holds a character that GBK lacks, is passed over. On
    // false count and records are untouched.
    virtual bool GetUserList(std::span<UserInfo> records, std::size_t& count) = 0;
    // Removes the account of the same name and appends record as the last account.
    virtual bool AddUser(const UserInfo& record) = 0;
    // Removes every saved account.
    virtual bool DeleteAllUsers() = 0;

    // Names the default account; an empty name changes nothing and answers true. A name
    // longer than a record holds is refused.
    virtual bool SetDefaultUser(std::string_view name) = 0;
    // Copies the default account's name; on false name is empty.
    virtual bool GetDefaultUser(UserText& name) = 0;

    // Whether the default account connects by itself at start-up; as GetConPrompt.
    virtual bool GetAutoLogon() = 0;
    // As SetConPrompt.
    virtual void SetAutoLogon(bool on) = 0;

    // Whether the client reconnects by itself after the gateway dropped its connection:
    // read as GetConPrompt, so a document without the switch keeps it off.
    virtual bool GetReconnect() = 0;
    // Writes "true" or "false" into the switch, creating it (and a missing Style element)
    // when the document has none yet, since older documents lack it.
    virtual void SetReconnect(bool on) = 0;

    // Copy a heartbeat entry, "server:port", unchanged; on false text is empty. An entry
    // longer than the buffer is refused. The setters are not supported: they change
    // nothing and answer false.
    virtual bool GetHBSCam(HBSText& text) = 0;
    virtual bool SetHBSCam(std::string_view text) = 0;
    virtual bool GetHBSDom(HBSText& text) = 0;
    virtual bool SetHBSDom(std::string_view text) = 0;
    virtual bool GetHBSInt(HBSText& text) = 0;
    virtual bool SetHBSInt(std::string_view text) = 0;
};

} // namespace config
