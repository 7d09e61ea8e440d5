#include "tools/gatewayd/AccountsFile.h"

#include "platform/GbkCodec.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

namespace {

using gatewayd::AccountsFileResult;
using gatewayd::ParseAccounts;

std::string Gbk(std::string_view utf8) {
    return platform::GbkFromLiteral(utf8);
}

TEST(AccountsFile, ReadsEveryFieldAndTheDefaults) {
    const AccountsFileResult result = ParseAccounts("\xEF\xBB\xBF# accounts\r\n"
                                                    "\r\n"
                                                    "[ 张三 ]\r\n"
                                                    "password =  密码 一 \r\n"
                                                    "balance=12.50\r\n"
                                                    "package = 包月20元\r\n"
                                                    "time-used\t=\t31小时\r\n"
                                                    "paid-addresses = yes\r\n"
                                                    "connection-limit = 3\r\n"
                                                    "arrears-mode = yes\r\n"
                                                    "; the next one takes the defaults\n"
                                                    "[guest]\n"
                                                    "password = g#1\n"
                                                    "package = none\n"
                                                    "time-used = none\n");
    ASSERT_TRUE(result.Ok()) << result.error;
    ASSERT_EQ(result.accounts.size(), 2u);

    const gatewayd::Account& first = result.accounts[0];
    EXPECT_EQ(first.name, Gbk("张三"));
    EXPECT_EQ(first.password, Gbk("密码 一"));
    EXPECT_EQ(first.balance, "12.50");
    EXPECT_EQ(first.package, Gbk("包月20元"));
    EXPECT_EQ(first.timeUsed, Gbk("31小时"));
    EXPECT_TRUE(first.paidAddresses);
    EXPECT_EQ(first.connectionLimit, 3);
    EXPECT_TRUE(first.arrearsMode);

    const gatewayd::Account& second = result.accounts[1];
    EXPECT_EQ(second.name, "guest");
    EXPECT_EQ(second.password, "g#1");
    EXPECT_EQ(second.balance, "0.00");
    EXPECT_EQ(second.package, std::nullopt);
    EXPECT_EQ(second.timeUsed, std::nullopt);
    EXPECT_FALSE(second.paidAddresses);
    EXPECT_EQ(second.connectionLimit, 1);
    EXPECT_FALSE(second.arrearsMode);
}

TEST(AccountsFile, AnEmptyFileHasNoAccounts) {
    const AccountsFileResult result = ParseAccounts("# nothing yet\n\n");
    ASSERT_TRUE(result.Ok()) << result.error;
    EXPECT_TRUE(result.accounts.empty());
}

struct MalformedCase {
    const char* name;
    std::string text;
    std::string error;
};

class AccountsFileRefuses : public testing::TestWithParam<MalformedCase> {};

TEST_P(AccountsFileRefuses, NamingTheLine) {
    const AccountsFileResult result = ParseAccounts(GetParam().text);
    EXPECT_FALSE(result.Ok());
    EXPECT_TRUE(result.accounts.empty());
    EXPECT_EQ(result.error, GetParam().error);
}

const std::string kHead = "[a]\npassword = p\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, AccountsFileRefuses,
    testing::Values(
        MalformedCase{"key_before_section", "# c\npassword = p\n",
                      "line 2: a key comes before the first [account] section"},
        MalformedCase{"no_equals", kHead + "balance 3\n",
                      "line 3: expected \"key = value\" or \"[account]\""},
        MalformedCase{"unclosed_section", "[a\n", "line 1: an account section must end with ']'"},
        MalformedCase{"empty_name", "[ ]\n", "line 1: the account name is empty"},
        MalformedCase{"name_with_space", "[a b]\n",
                      "line 1: the account name \"a b\" holds a space, which the answer format "
                      "cannot carry"},
        MalformedCase{"name_with_ampersand", "[a&b]\n",
                      "line 1: the account name \"a&b\" holds '&', which the client sends "
                      "unencoded"},
        MalformedCase{"duplicate_account", kHead + "\n[a]\npassword = q\n",
                      "line 4: account \"a\" is already defined at line 1"},
        MalformedCase{"unknown_key", kHead + "colour = red\n", "line 3: unknown key \"colour\""},
        MalformedCase{"repeated_key", kHead + "password = q\n",
                      "line 3: \"password\" is given twice for this account"},
        MalformedCase{"missing_password", "[a]\nbalance = 1\n[b]\npassword = p\n",
                      "line 1: account has no password"},
        MalformedCase{"missing_password_at_end", kHead + "[b]\nbalance = 1\n",
                      "line 3: account has no password"},
        MalformedCase{"empty_password", "[a]\npassword =\n", "line 2: password must not be empty"},
        MalformedCase{"balance_with_space", kHead + "balance = 1 000\n",
                      "line 3: balance \"1 000\" holds a space, which the answer format cannot "
                      "carry"},
        MalformedCase{"package_with_space", kHead + "package = 包月 20元\n",
                      "line 3: package \"包月 20元\" holds a space, which the answer format "
                      "cannot carry"},
        MalformedCase{"time_used_with_space", kHead + "time-used = 3 h\n",
                      "line 3: time-used \"3 h\" holds a space, which the answer format cannot "
                      "carry"},
        MalformedCase{"control_character",
                      kHead + "balance = 1\x01"
                              "2\n",
                      "line 3: balance holds a control character"},
        MalformedCase{"not_gbk", kHead + "package = \xF0\x9F\x98\x80\n",
                      "line 3: package cannot be written in GBK: the character "
                      "\"\xF0\x9F\x98\x80\" (U+1F600) at byte 0 cannot be written in GBK"},
        MalformedCase{"not_utf8", "[\xFF]\npassword = p\n",
                      "line 1: the account name cannot be written in GBK: the text is not valid "
                      "UTF-8 at byte 0"},
        MalformedCase{"bad_yes_no", kHead + "paid-addresses = Yes\n",
                      "line 3: paid-addresses must be yes or no, not \"Yes\""},
        MalformedCase{"limit_not_a_number", kHead + "connection-limit = two\n",
                      "line 3: connection-limit must be a whole number from 0 to 9999, not "
                      "\"two\""},
        MalformedCase{"limit_negative", kHead + "connection-limit = -1\n",
                      "line 3: connection-limit must be a whole number from 0 to 9999, not "
                      "\"-1\""},
        MalformedCase{"limit_too_large", kHead + "connection-limit = 10000\n",
                      "line 3: connection-limit must be a whole number from 0 to 9999, not "
                      "\"10000\""},
        MalformedCase{"limit_with_suffix", kHead + "connection-limit = 2x\n",
                      "line 3: connection-limit must be a whole number from 0 to 9999, not "
                      "\"2x\""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(AccountsFile, LoadNamesTheFileInItsErrors) {
    const testsupport::CTempFolder folder;
    const auto good = folder.Write("good.ini", "[a]\npassword = p\n");
    const auto bad = folder.Write("bad.ini", "[a]\npassword = p\nlimit = 2\n");

    const AccountsFileResult loaded = gatewayd::LoadAccountsFile(good);
    ASSERT_TRUE(loaded.Ok()) << loaded.error;
    ASSERT_EQ(loaded.accounts.size(), 1u);
    EXPECT_EQ(loaded.accounts[0].name, "a");

    EXPECT_EQ(gatewayd::LoadAccountsFile(bad).error, bad.string() + ":3: unknown key \"limit\"");
    const auto missing = folder.Path() / "missing.ini";
    EXPECT_EQ(gatewayd::LoadAccountsFile(missing).error, missing.string() + ": cannot be read");
    EXPECT_EQ(gatewayd::LoadAccountsFile(folder.Path()).error,
              folder.Path().string() + ": cannot be read");
}

TEST(AccountsFile, TheSampleIsValid) {
    const AccountsFileResult result = gatewayd::LoadAccountsFile(GATEWAYD_SAMPLE_ACCOUNTS);
    ASSERT_TRUE(result.Ok()) << result.error;
    EXPECT_FALSE(result.accounts.empty());
}

} // namespace
