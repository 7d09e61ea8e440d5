#include "tools/gatewayd/AccountsFile.h"

#include "platform/GbkCodec.h"

#include <charconv>
#include <fstream>
#include <iterator>
#include <map>
#include <set>

namespace gatewayd {
namespace {

constexpr int kMaxConnectionLimit = 9999;
constexpr std::string_view kNone = "none";
constexpr std::string_view kDefaultBalance = "0.00";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

std::string_view Trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

bool HoldsControlCharacter(std::string_view text) {
    for (const char character : text) {
        const auto byte = static_cast<unsigned char>(character);
        if (byte < 0x20 || byte == 0x7F) {
            return true;
        }
    }
    return false;
}

std::string Quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

// Reads one file top to bottom; the first problem ends it.
class CAccountsParser {
public:
    AccountsFileResult Parse(std::string_view text) {
        if (text.starts_with(kUtf8Bom)) {
            text.remove_prefix(kUtf8Bom.size());
        }
        while (!text.empty() && m_error.empty()) {
            const auto end = text.find('\n');
            std::string_view line = text.substr(0, end);
            text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
            if (line.ends_with('\r')) {
                line.remove_suffix(1);
            }
            ++m_lineNumber;
            ParseLine(Trim(line));
        }
        if (m_error.empty()) {
            FinishAccount();
        }
        if (!m_error.empty()) {
            return {{}, m_error};
        }
        return {std::move(m_accounts), {}};
    }

private:
    void ParseLine(std::string_view line) {
        if (line.empty() || line.front() == '#' || line.front() == ';') {
            return;
        }
        if (line.front() == '[') {
            ParseSection(line);
            return;
        }
        const auto equals = line.find('=');
        if (equals == std::string_view::npos) {
            Fail("expected \"key = value\" or \"[account]\"");
            return;
        }
        if (!m_inAccount) {
            Fail("a key comes before the first [account] section");
            return;
        }
        ParseEntry(Trim(line.substr(0, equals)), Trim(line.substr(equals + 1)));
    }

    void ParseSection(std::string_view line) {
        if (!line.ends_with(']')) {
            Fail("an account section must end with ']'");
            return;
        }
        FinishAccount();
        if (!m_error.empty()) {
            return;
        }
        const std::string_view name = Trim(line.substr(1, line.size() - 2));
        if (name.empty()) {
            Fail("the account name is empty");
            return;
        }
        if (name.find('&') != std::string_view::npos) {
            Fail("the account name " + Quoted(name) +
                 " holds '&', which the client sends unencoded");
            return;
        }
        if (!CheckSendable("the account name", name)) {
            return;
        }
        if (const auto seen = m_firstLines.find(std::string(name)); seen != m_firstLines.end()) {
            Fail("account " + Quoted(name) + " is already defined at line " +
                 std::to_string(seen->second));
            return;
        }
        m_firstLines.emplace(std::string(name), m_lineNumber);
        m_current = Account{};
        m_current.name = ToGbk("the account name", name);
        m_current.balance = kDefaultBalance;
        m_currentLine = m_lineNumber;
        m_seenKeys.clear();
        m_inAccount = true;
    }

    void ParseEntry(std::string_view key, std::string_view value) {
        if (!m_seenKeys.emplace(std::string(key)).second) {
            Fail(Quoted(key) + " is given twice for this account");
            return;
        }
        if (HoldsControlCharacter(value)) {
            Fail(std::string(key) + " holds a control character");
            return;
        }
        if (key == "password") {
            if (value.empty()) {
                Fail("password must not be empty");
                return;
            }
            m_current.password = ToGbk(key, value);
        } else if (key == "balance") {
            m_current.balance = SendableGbk(key, value);
        } else if (key == "package") {
            m_current.package = OptionalText(key, value);
        } else if (key == "time-used") {
            m_current.timeUsed = OptionalText(key, value);
        } else if (key == "paid-addresses") {
            m_current.paidAddresses = YesNo(key, value);
        } else if (key == "arrears-mode") {
            m_current.arrearsMode = YesNo(key, value);
        } else if (key == "connection-limit") {
            m_current.connectionLimit = Limit(key, value);
        } else {
            Fail("unknown key " + Quoted(key));
        }
    }

    void FinishAccount() {
        if (!m_inAccount) {
            return;
        }
        m_inAccount = false;
        if (m_current.password.empty()) {
            m_error = "line " + std::to_string(m_currentLine) + ": account has no password";
            return;
        }
        m_accounts.push_back(std::move(m_current));
    }

    std::optional<std::string> OptionalText(std::string_view key, std::string_view value) {
        if (value == kNone) {
            return std::nullopt;
        }
        return SendableGbk(key, value);
    }

    bool YesNo(std::string_view key, std::string_view value) {
        if (value != "yes" && value != "no") {
            Fail(std::string(key) + " must be yes or no, not " + Quoted(value));
        }
        return value == "yes";
    }

    int Limit(std::string_view key, std::string_view value) {
        int limit = -1;
        const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), limit);
        if (value.empty() || error != std::errc() || end != value.data() + value.size() ||
            limit < 0 || limit > kMaxConnectionLimit) {
            Fail(std::string(key) + " must be a whole number from 0 to " +
                 std::to_string(kMaxConnectionLimit) + ", not " + Quoted(value));
            return 0;
        }
        return limit;
    }

    bool CheckSendable(std::string_view what, std::string_view value) {
        if (value.find(' ') != std::string_view::npos) {
            Fail(std::string(what) + " " + Quoted(value) +
                 " holds a space, which the answer format cannot carry");
            return false;
        }
        if (HoldsControlCharacter(value)) {
            Fail(std::string(what) + " holds a control character");
            return false;
        }
        return true;
    }

    std::string SendableGbk(std::string_view key, std::string_view value) {
        return CheckSendable(key, value) ? ToGbk(key, value) : std::string();
    }

    std::string ToGbk(std::string_view what, std::string_view value) {
        platform::ConvertedText converted = platform::Utf8ToGbk(value);
        if (!converted.Ok()) {
            Fail(std::string(what) + " cannot be written in GBK: " + converted.error);
        }
        return std::move(converted.text);
    }

    // Keeps the first problem only; later ones are consequences of it.
    void Fail(const std::string& why) {
        if (m_error.empty()) {
            m_error = "line " + std::to_string(m_lineNumber) + ": " + why;
        }
    }

    std::vector<Account> m_accounts;
    std::map<std::string, int> m_firstLines; // account name (UTF-8) to its section's line
    std::set<std::string> m_seenKeys;
    Account m_current;
    int m_currentLine = 0;
    bool m_inAccount = false;
    int m_lineNumber = 0;
    std::string m_error;
};

} // namespace

AccountsFileResult ParseAccounts(std::string_view text) {
    return CAccountsParser().Parse(text);
}

AccountsFileResult LoadAccountsFile(const std::filesystem::path& path) {
    std::error_code ignored;
    std::ifstream file(path, std::ios::binary);
    if (!file || std::filesystem::is_directory(path, ignored)) {
        return {{}, path.string() + ": cannot be read"};
    }
    const std::string content{std::istreambuf_iterator<char>(file), {}};
    if (file.bad()) {
        return {{}, path.string() + ": cannot be read"};
    }
    AccountsFileResult result = ParseAccounts(content);
    if (!result.Ok()) {
        // "line N: why" becomes "FILE:N: why", the form editors jump to.
        constexpr std::string_view kLine = "line ";
        result.error = path.string() + ":" + result.error.substr(kLine.size());
    }
    return result;
}

} // namespace gatewayd
