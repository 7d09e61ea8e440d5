#include "config/VORNXMLConfig.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <functional>
#include <ostream>
#include <vector>

namespace {

using config::CVORNXMLConfig;

// "张三" and "密码" in GBK.
constexpr std::string_view kGbkName = "\xD5\xC5\xC8\xFD";
constexpr std::string_view kGbkPassword = "\xC3\xDC\xC2\xEB";

std::string Doc(std::string_view inner) {
    return "<VORNClientConfig>" + std::string(inner) + "</VORNClientConfig>";
}

// The text that the store gives for doc: edited documents are compared in this form.
std::string Serialised(std::string_view doc) {
    CVORNXMLConfig store;
    EXPECT_TRUE(store.LoadXml(doc)) << doc;
    std::string text;
    EXPECT_TRUE(store.GetXml(text));
    return text;
}

config::UserInfo User(std::string_view name, std::string_view password, bool save, int access) {
    config::UserInfo record;
    EXPECT_TRUE(record.username.Assign(name));
    EXPECT_TRUE(record.password.Assign(password));
    record.savePassword = save;
    record.access = access;
    return record;
}

// --- Reading the switches ---------------------------------------------------------------

struct SwitchCase {
    const char* name;
    const char* inner;
    bool conPrompt;
    bool autoLogon;
};

void PrintTo(const SwitchCase& switchCase, std::ostream* out) {
    *out << switchCase.name;
}

class Switches : public testing::TestWithParam<SwitchCase> {};

TEST_P(Switches, AreOffOnlyForExactlyFalse) {
    CVORNXMLConfig store;
    ASSERT_TRUE(store.LoadXml(Doc(GetParam().inner)));
    EXPECT_EQ(store.GetConPrompt(), GetParam().conPrompt);
    EXPECT_EQ(store.GetAutoLogon(), GetParam().autoLogon);
}

INSTANTIATE_TEST_SUITE_P(
    Documents, Switches,
    testing::Values(
        SwitchCase{"false_is_off", R"(<Style ConPrompt="false" AutoLogon="false"/>)", false, false},
        SwitchCase{"true_is_on", R"(<Style ConPrompt="true" AutoLogon="true"/>)", true, true},
        SwitchCase{"capital_false_is_on", R"(<Style ConPrompt="False" AutoLogon="FALSE"/>)", true,
                   true},
        SwitchCase{"empty_is_on", R"(<Style ConPrompt="" AutoLogon=" false"/>)", true, true},
        SwitchCase{"missing_attribute_is_off", R"(<Style ConPrompt="true"/>)", true, false},
        SwitchCase{"missing_style_is_off", "<Log/>", false, false},
        SwitchCase{"style_elsewhere_is_not_read",
                   R"(<Log><Style ConPrompt="true" AutoLogon="true"/></Log>)", false, false}),
    [](const testing::TestParamInfo<SwitchCase>& info) { return info.param.name; });

struct ReconnectCase {
    const char* name;
    const char* inner;
    bool on;
};

void PrintTo(const ReconnectCase& reconnectCase, std::ostream* out) {
    *out << reconnectCase.name;
}

class ReconnectSwitch : public testing::TestWithParam<ReconnectCase> {};

TEST_P(ReconnectSwitch, IsOffUnlessTheDocumentTurnsItOn) {
    CVORNXMLConfig store;
    ASSERT_TRUE(store.LoadXml(Doc(GetParam().inner)));
    EXPECT_EQ(store.GetReconnect(), GetParam().on);
}

INSTANTIATE_TEST_SUITE_P(
    Documents, ReconnectSwitch,
    testing::Values(ReconnectCase{"older_document_is_off",
                                  R"(<Style ConPrompt="true" AutoLogon="true"/>)", false},
                    ReconnectCase{"true_is_on", R"(<Style Reconnect="true"/>)", true},
                    ReconnectCase{"false_is_off", R"(<Style Reconnect="false"/>)", false},
                    ReconnectCase{"missing_style_is_off", "<Log/>", false}),
    [](const testing::TestParamInfo<ReconnectCase>& info) { return info.param.name; });

// --- Edits of the document ----------------------------------------------------------------

struct EditCase {
    const char* name;
    std::string before;
    std::function<bool(CVORNXMLConfig&)> edit;
    bool answer;
    std::string after; // the whole document after the edit
};

void PrintTo(const EditCase& editCase, std::ostream* out) {
    *out << editCase.name;
}

class Edits : public testing::TestWithParam<EditCase> {};

TEST_P(Edits, ChangeTheDocumentAsExpected) {
    const EditCase& editCase = GetParam();
    CVORNXMLConfig store;
    ASSERT_TRUE(store.LoadXml(Doc(editCase.before)));
    EXPECT_EQ(editCase.edit(store), editCase.answer);
    std::string text;
    ASSERT_TRUE(store.GetXml(text));
    EXPECT_EQ(text, Serialised(Doc(editCase.after)));
}

// A switch setter has no answer; its effect on the document is what counts.
std::function<bool(CVORNXMLConfig&)> Setter(void (CVORNXMLConfig::*set)(bool), bool on) {
    return [set, on](CVORNXMLConfig& store) {
        (store.*set)(on);
        return true;
    };
}

std::function<bool(CVORNXMLConfig&)> Adding(const config::UserInfo& record) {
    return [record](CVORNXMLConfig& store) { return store.AddUser(record); };
}

std::function<bool(CVORNXMLConfig&)> Deleting(const std::string& name) {
    return [name](CVORNXMLConfig& store) { return store.DeleteUser(name); };
}

std::function<bool(CVORNXMLConfig&)> Defaulting(const std::string& name) {
    return [name](CVORNXMLConfig& store) { return store.SetDefaultUser(name); };
}

const std::string kBob = R"(<UserInfo Username="bob" Access="overall" Password="pw"/>)";
const std::string kEve = R"(<UserInfo Username="eve" Access="domestic"/>)";
const std::string kNameless = R"(<UserInfo Access="overall"/>)";
const std::string kGbkUser = R"(<UserInfo Username=")" + std::string(kGbkName) +
                             R"(" Access="overall" Password=")" + std::string(kGbkPassword) +
                             R"("/>)";

INSTANTIATE_TEST_SUITE_P(
    Documents, Edits,
    testing::Values(
        EditCase{"con_prompt_off", R"(<Style ConPrompt="true" AutoLogon="true"/>)",
                 Setter(&CVORNXMLConfig::SetConPrompt, false), true,
                 R"(<Style ConPrompt="false" AutoLogon="true"/>)"},
        EditCase{"auto_logon_on", R"(<Style ConPrompt="true" AutoLogon="False"/>)",
                 Setter(&CVORNXMLConfig::SetAutoLogon, true), true,
                 R"(<Style ConPrompt="true" AutoLogon="true"/>)"},
        EditCase{"missing_switch_is_not_created", R"(<Style AutoLogon="true"/>)",
                 Setter(&CVORNXMLConfig::SetConPrompt, false), true,
                 R"(<Style AutoLogon="true"/>)"},
        EditCase{"reconnect_is_created_on", R"(<Style ConPrompt="true" AutoLogon="false"/>)",
                 Setter(&CVORNXMLConfig::SetReconnect, true), true,
                 R"(<Style ConPrompt="true" AutoLogon="false" Reconnect="true"/>)"},
        EditCase{"reconnect_off", R"(<Style Reconnect="true" ConPrompt="true"/>)",
                 Setter(&CVORNXMLConfig::SetReconnect, false), true,
                 R"(<Style Reconnect="false" ConPrompt="true"/>)"},
        EditCase{"reconnect_makes_a_missing_style", "<Log/>",
                 Setter(&CVORNXMLConfig::SetReconnect, true), true,
                 R"(<Style Reconnect="true"/><Log/>)"},
        EditCase{"add_appends_last", "<Log><DefaultUser>eve</DefaultUser>" + kEve + "</Log>",
                 Adding(User("bob", "pw", true, config::ACCESS_OVERALL)), true,
                 "<Log><DefaultUser>eve</DefaultUser>" + kEve + kBob + "</Log>"},
        EditCase{"resave_moves_last_and_drops_password", "<Log>" + kBob + kEve + "</Log>",
                 Adding(User("bob", "other", false, config::ACCESS_DOMESTIC)), true,
                 "<Log>" + kEve + R"(<UserInfo Username="bob" Access="domestic"/></Log>)"},
        EditCase{"access_other_than_one_is_domestic", "<Log/>", Adding(User("bob", "", false, 2)),
                 true, R"(<Log><UserInfo Username="bob" Access="domestic"/></Log>)"},
        EditCase{"add_gbk_account", "<Log/>",
                 Adding(User(kGbkName, kGbkPassword, true, config::ACCESS_OVERALL)), true,
                 "<Log>" + kGbkUser + "</Log>"},
        EditCase{"add_without_log_fails", "<HBSCam>c:1</HBSCam>",
                 Adding(User("bob", "pw", true, 1)), false, "<HBSCam>c:1</HBSCam>"},
        EditCase{"add_after_nameless_entry_keeps_old_account",
                 "<Log>" + kNameless + kEve + "</Log>", Adding(User("eve", "", false, 0)), true,
                 "<Log>" + kNameless + kEve + kEve + "</Log>"},
        EditCase{"delete_removes_first_match_only",
                 "<Log>" + kEve + R"(<UserInfo Username="eve" Access="overall"/></Log>)",
                 Deleting("eve"), true,
                 R"(<Log><UserInfo Username="eve" Access="overall"/></Log>)"},
        EditCase{"delete_is_case_sensitive", "<Log>" + kEve + "</Log>", Deleting("Eve"), false,
                 "<Log>" + kEve + "</Log>"},
        EditCase{"delete_with_no_accounts_fails", "<Log/>", Deleting("eve"), false, "<Log/>"},
        EditCase{"delete_stops_at_nameless_entry", "<Log>" + kNameless + kEve + "</Log>",
                 Deleting("eve"), false, "<Log>" + kNameless + kEve + "</Log>"},
        EditCase{"delete_gbk_account", "<Log>" + kGbkUser + kEve + "</Log>",
                 Deleting(std::string(kGbkName)), true, "<Log>" + kEve + "</Log>"},
        EditCase{"delete_all_keeps_default",
                 "<Log>" + kBob + "<DefaultUser>bob</DefaultUser>" + kEve + "</Log>",
                 [](CVORNXMLConfig& store) { return store.DeleteAllUsers(); }, true,
                 "<Log><DefaultUser>bob</DefaultUser></Log>"},
        EditCase{"delete_all_without_log_fails", "<HBSCam>c:1</HBSCam>",
                 [](CVORNXMLConfig& store) { return store.DeleteAllUsers(); }, false,
                 "<HBSCam>c:1</HBSCam>"},
        EditCase{"empty_default_changes_nothing", "<Log><DefaultUser>bob</DefaultUser></Log>",
                 Defaulting(""), true, "<Log><DefaultUser>bob</DefaultUser></Log>"},
        EditCase{"default_appended_last", "<Log>" + kEve + "</Log>", Defaulting("eve"), true,
                 "<Log>" + kEve + "<DefaultUser>eve</DefaultUser></Log>"},
        EditCase{"default_replaced_in_place",
                 "<Log><DefaultUser>bob</DefaultUser>" + kEve + "</Log>", Defaulting("eve"), true,
                 "<Log><DefaultUser>eve</DefaultUser>" + kEve + "</Log>"},
        EditCase{"default_without_log_fails", "<HBSCam>c:1</HBSCam>", Defaulting("eve"), false,
                 "<HBSCam>c:1</HBSCam>"},
        EditCase{"default_over_63_bytes_refused", "<Log/>", Defaulting(std::string(64, 'n')), false,
                 "<Log/>"},
        EditCase{"heartbeat_setters_unsupported",
                 "<HBSCam>c:1</HBSCam><HBSDom>d:2</HBSDom><HBSInt>i:3</HBSInt>",
                 [](CVORNXMLConfig& store) {
                     return store.SetHBSCam("x:9") || store.SetHBSDom("x:9") ||
                            store.SetHBSInt("x:9");
                 },
                 false, "<HBSCam>c:1</HBSCam><HBSDom>d:2</HBSDom><HBSInt>i:3</HBSInt>"}),
    [](const testing::TestParamInfo<EditCase>& info) { return info.param.name; });

// --- Listing the accounts -----------------------------------------------------------------

struct Account {
    std::string username;
    std::string password;
    bool savePassword;
    int access;
};

struct ListCase {
    const char* name;
    std::string inner;
    std::size_t capacity;
    std::vector<Account> expected;
};

void PrintTo(const ListCase& listCase, std::ostream* out) {
    *out << listCase.name;
}

std::string ManyUsers(int count) {
    std::string log = "<Log>";
    for (int i = 0; i < count; ++i) {
        log += R"(<UserInfo Username="u)" + std::to_string(i) + R"(" Access="overall"/>)";
    }
    return log + "</Log>";
}

std::vector<Account> FirstUsers(int count) {
    std::vector<Account> accounts;
    accounts.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        accounts.push_back({"u" + std::to_string(i), "", false, config::ACCESS_OVERALL});
    }
    return accounts;
}

class UserList : public testing::TestWithParam<ListCase> {};

TEST_P(UserList, FillsRecordsInDocumentOrder) {
    const ListCase& listCase = GetParam();
    CVORNXMLConfig store;
    ASSERT_TRUE(store.LoadXml(Doc(listCase.inner)));
    std::vector<config::UserInfo> records(listCase.capacity);
    std::size_t count = 99;
    ASSERT_TRUE(store.GetUserList(records, count));
    ASSERT_EQ(count, listCase.expected.size());
    for (std::size_t i = 0; i < count; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(records[i].username.View(), listCase.expected[i].username);
        EXPECT_EQ(records[i].password.View(), listCase.expected[i].password);
        EXPECT_EQ(records[i].savePassword, listCase.expected[i].savePassword);
        EXPECT_EQ(records[i].access, listCase.expected[i].access);
    }
}

const std::string kGbk63 = std::string(61, 'a') + std::string(kGbkName.substr(0, 2));
const std::string kGbk64 = std::string(62, 'a') + std::string(kGbkName.substr(0, 2));

INSTANTIATE_TEST_SUITE_P(
    Documents, UserList,
    testing::Values(
        ListCase{"attribute_order_does_not_matter",
                 R"(<Log><UserInfo Access="overall" Password="p1" Username="a"/>)"
                 R"(<UserInfo Access="domestic" Password="p2" Username="b"/></Log>)",
                 10,
                 {{"a", "p1", true, config::ACCESS_OVERALL},
                  {"b", "p2", true, config::ACCESS_DOMESTIC}}},
        ListCase{
            "other_attributes_ignored",
            R"(<Log><UserInfo Username="a" Colour="red" username="x" Access="overall"/></Log>)",
            10,
            {{"a", "", false, config::ACCESS_OVERALL}}},
        ListCase{
            "access_is_case_sensitive",
            R"(<Log><UserInfo Username="a" Access="OVERALL"/><UserInfo Username="b"/></Log>)",
            10,
            {{"a", "", false, config::ACCESS_DOMESTIC}, {"b", "", false, config::ACCESS_DOMESTIC}}},
        ListCase{"nameless_entry_gives_an_empty_name",
                 "<Log>" + kNameless + "</Log>",
                 10,
                 {{"", "", false, config::ACCESS_OVERALL}}},
        ListCase{
            "gbk_text",
            "<Log>" + kGbkUser + "</Log>",
            10,
            {{std::string(kGbkName), std::string(kGbkPassword), true, config::ACCESS_OVERALL}}},
        ListCase{"no_log", R"(<Style ConPrompt="true"/>)", 10, {}},
        ListCase{"no_accounts", "<Log><DefaultUser>a</DefaultUser></Log>", 10, {}},
        ListCase{"capacity_ten_of_twelve", ManyUsers(12), 10, FirstUsers(10)},
        ListCase{"capacity_above_count", ManyUsers(3), 10, FirstUsers(3)},
        ListCase{"texts_over_63_bytes_refused",
                 "<Log><UserInfo Username=\"" + std::string(63, 'n') + "\"/><UserInfo Username=\"" +
                     std::string(64, 'm') + "\"/><UserInfo Username=\"p\" Password=\"" +
                     std::string(64, 'p') + "\"/><UserInfo Username=\"" + kGbk64 +
                     "\"/><UserInfo Username=\"" + kGbk63 + "\"/></Log>",
                 10,
                 {{std::string(63, 'n'), "", false, config::ACCESS_DOMESTIC},
                  {kGbk63, "", false, config::ACCESS_DOMESTIC}}},
        // U+1F600 and U+00A9 have no GBK form.
        ListCase{"texts_gbk_lacks_passed_over",
                 R"(<Log><UserInfo Username="a"/><UserInfo Username="&#x1F600;"/>)"
                 R"(<UserInfo Username="b" Password="&#169;"/><UserInfo Username="c"/></Log>)",
                 10,
                 {{"a", "", false, config::ACCESS_DOMESTIC},
                  {"c", "", false, config::ACCESS_DOMESTIC}}}),
    [](const testing::TestParamInfo<ListCase>& info) { return info.param.name; });

// --- Text getters ---------------------------------------------------------------------------

using TextGetter = bool (*)(CVORNXMLConfig&, std::string&);

template <typename Text, bool (CVORNXMLConfig::*get)(Text&)>
bool Get(CVORNXMLConfig& store, std::string& out) {
    Text text;
    text.AssignCut("stale");
    const bool answer = (store.*get)(text);
    out = text.View();
    return answer;
}

constexpr TextGetter kDefaultUser = Get<config::UserText, &CVORNXMLConfig::GetDefaultUser>;
constexpr TextGetter kCampus = Get<config::HBSText, &CVORNXMLConfig::GetHBSCam>;
constexpr TextGetter kDomestic = Get<config::HBSText, &CVORNXMLConfig::GetHBSDom>;
constexpr TextGetter kThird = Get<config::HBSText, &CVORNXMLConfig::GetHBSInt>;

struct TextCase {
    const char* name;
    std::string inner;
    TextGetter get;
    bool answer;
    std::string text;
};

void PrintTo(const TextCase& textCase, std::ostream* out) {
    *out << textCase.name;
}

class TextGetters : public testing::TestWithParam<TextCase> {};

TEST_P(TextGetters, CopyTheTextOrLeaveTheBufferEmpty) {
    const TextCase& textCase = GetParam();
    CVORNXMLConfig store;
    ASSERT_TRUE(store.LoadXml(Doc(textCase.inner)));
    std::string text;
    EXPECT_EQ(textCase.get(store, text), textCase.answer);
    EXPECT_EQ(text, textCase.text);
    if (!textCase.answer) {
        EXPECT_TRUE(store.GetLastError().starts_with("Fail!ErrorCode ")) << store.GetLastError();
    }
}

const std::string kHbs255 = std::string(250, 'h') + ":5430";

INSTANTIATE_TEST_SUITE_P(
    Documents, TextGetters,
    testing::Values(
        TextCase{"default_user", "<Log><DefaultUser>alice</DefaultUser></Log>", kDefaultUser, true,
                 "alice"},
        TextCase{"default_user_gbk",
                 "<Log><DefaultUser>" + std::string(kGbkName) + "</DefaultUser></Log>",
                 kDefaultUser, true, std::string(kGbkName)},
        TextCase{"default_user_missing", "<Log/>", kDefaultUser, false, ""},
        TextCase{"default_user_without_log", "<DefaultUser>alice</DefaultUser>", kDefaultUser,
                 false, ""},
        TextCase{"default_user_only_as_child_of_log",
                 "<Log><UserInfo><DefaultUser>alice</DefaultUser></UserInfo></Log>", kDefaultUser,
                 false, ""},
        TextCase{"default_user_over_63_bytes",
                 "<Log><DefaultUser>" + std::string(64, 'n') + "</DefaultUser></Log>", kDefaultUser,
                 false, ""},
        TextCase{"campus", "<HBSCam>10.0.0.1:5430</HBSCam>", kCampus, true, "10.0.0.1:5430"},
        TextCase{"domestic", "<HBSDom>dom.example:7</HBSDom>", kDomestic, true, "dom.example:7"},
        TextCase{"third", "<HBSInt>int.example:8</HBSInt>", kThird, true, "int.example:8"},
        TextCase{"campus_missing", "<HBSDom>dom.example:7</HBSDom>", kCampus, false, ""},
        TextCase{"campus_only_under_root", "<Log><HBSCam>c:1</HBSCam></Log>", kCampus, false, ""},
        TextCase{"campus_of_255_bytes", "<HBSCam>" + kHbs255 + "</HBSCam>", kCampus, true, kHbs255},
        TextCase{"campus_of_256_bytes", "<HBSCam>h" + kHbs255 + "</HBSCam>", kCampus, false, ""}),
    [](const testing::TestParamInfo<TextCase>& info) { return info.param.name; });

// --- Results, loading and the empty store -------------------------------------------------

TEST(CheckResult, OnlyOkPassesAndAFailureRecordsErrno) {
    CVORNXMLConfig store;
    EXPECT_TRUE(store.CheckResult(config::DocResult::Ok));
    EXPECT_EQ(store.GetLastError(), "");
    errno = EACCES;
    EXPECT_FALSE(store.CheckResult(config::DocResult::NotFound));
    EXPECT_EQ(store.GetLastError(), "Fail!ErrorCode 13\n");
    errno = ENOMEM;
    EXPECT_FALSE(store.CheckResult(config::DocResult::Failed));
    EXPECT_EQ(store.GetLastError(), "Fail!ErrorCode 12\n");
}

struct BadTextCase {
    const char* name;
    std::string text;
};

void PrintTo(const BadTextCase& badText, std::ostream* out) {
    *out << badText.name;
}

class BadDocument : public testing::TestWithParam<BadTextCase> {};

TEST_P(BadDocument, IsRefusedAndTheOldDocumentKept) {
    CVORNXMLConfig store;
    ASSERT_TRUE(store.LoadXml(Doc("<HBSCam>kept:1</HBSCam>")));
    EXPECT_FALSE(store.LoadXml(GetParam().text));
    EXPECT_TRUE(store.GetLastError().starts_with("Error Number:")) << store.GetLastError();
    config::HBSText campus;
    EXPECT_TRUE(store.GetHBSCam(campus));
    EXPECT_EQ(campus.View(), "kept:1");
}

INSTANTIATE_TEST_SUITE_P(
    Texts, BadDocument,
    testing::Values(BadTextCase{"empty", ""}, BadTextCase{"unclosed", "<VORNClientConfig>"},
                    BadTextCase{"two_roots", "<VORNClientConfig/><VORNClientConfig/>"},
                    BadTextCase{"text_beside_root", "junk<VORNClientConfig/>"},
                    BadTextCase{"attribute_twice",
                                R"(<VORNClientConfig><Style ConPrompt="1" ConPrompt="2"/>)"
                                "</VORNClientConfig>"},
                    BadTextCase{"not_gbk", "<VORNClientConfig>\x81</VORNClientConfig>"},
                    BadTextCase{"nul_first", std::string("\0<VORNClientConfig/>", 20)}),
    [](const testing::TestParamInfo<BadTextCase>& info) { return info.param.name; });

// --- Encodings of the document text ---------------------------------------------------------

struct EncodingCase {
    const char* name;
    std::string prefix; // byte-order mark and declaration
    bool utf8;          // the name is written in UTF-8 rather than GBK
};

void PrintTo(const EncodingCase& encoding, std::ostream* out) {
    *out << encoding.name;
}

class Encoding : public testing::TestWithParam<EncodingCase> {};

constexpr std::string_view kUtf8Name = "\xE5\xBC\xA0\xE4\xB8\x89"; // "张三" in UTF-8

TEST_P(Encoding, IsReadAsDeclaredAndSavedAsGbk) {
    const EncodingCase& encoding = GetParam();
    CVORNXMLConfig store;
    const std::string name(encoding.utf8 ? kUtf8Name : kGbkName);
    const std::string text =
        encoding.prefix + Doc("<Log><DefaultUser>" + name + "</DefaultUser></Log>");
    // The text ends at its first NUL: what a sealed file adds after the document is not read.
    ASSERT_TRUE(store.LoadXml(text + std::string("\0junk", 5)));
    config::UserText read;
    ASSERT_TRUE(store.GetDefaultUser(read));
    EXPECT_EQ(read.View(), kGbkName);

    // Saved as GBK, the text reads back the same, whatever it declared before.
    std::string saved;
    ASSERT_TRUE(store.GetXml(saved));
    EXPECT_NE(saved.find(kGbkName), std::string::npos);
    EXPECT_EQ(saved.find("UTF-8"), std::string::npos);
    CVORNXMLConfig reread;
    ASSERT_TRUE(reread.LoadXml(saved));
    ASSERT_TRUE(reread.GetDefaultUser(read));
    EXPECT_EQ(read.View(), kGbkName);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, Encoding,
    testing::Values(EncodingCase{"no_declaration_is_gbk", "", false},
                    EncodingCase{"gbk_declared", R"(<?xml version="1.0" encoding="GBK"?>)", false},
                    EncodingCase{"no_encoding_declared_is_gbk", R"(<?xml version="1.0"?>)", false},
                    EncodingCase{"utf8_declared", R"(<?xml version="1.0" encoding="UTF-8"?>)",
                                 true},
                    EncodingCase{"utf8_declared_in_lower_case",
                                 "<?xml version='1.0' encoding='utf-8'?>\n", true},
                    EncodingCase{"byte_order_mark", "\xEF\xBB\xBF", true},
                    EncodingCase{"byte_order_mark_and_declaration",
                                 "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>", true}),
    [](const testing::TestParamInfo<EncodingCase>& info) { return info.param.name; });

TEST(Encoding, Utf8DeclaredButNotUtf8IsRefused) {
    CVORNXMLConfig store;
    EXPECT_FALSE(store.LoadXml(R"(<?xml version="1.0" encoding="UTF-8"?>)" +
                               Doc("<HBSCam>" + std::string(kGbkName) + "</HBSCam>")));
}

// --- Serialising --------------------------------------------------------------------------

TEST(Serialise, GivesBackTheDocumentAsItWasLoaded) {
    const std::string text = "<?xml version=\"1.0\" encoding=\"GBK\"?>\n"
                             "<!-- installed -->\n"
                             "<VORNClientConfig>\n"
                             "\t<Style ConPrompt=\"true\" AutoLogon=\"false\"/>\n"
                             "\t<Log>\n\t\t<DefaultUser>a</DefaultUser>\n\t</Log>\n"
                             "\t<HBSCam> cam.example:1 </HBSCam>\n"
                             "</VORNClientConfig>\n";
    CVORNXMLConfig store;
    ASSERT_TRUE(store.LoadXml(text));
    std::string saved;
    ASSERT_TRUE(store.GetXml(saved));
    EXPECT_EQ(saved, text);

    // A change adds its element and nothing else.
    ASSERT_TRUE(store.AddUser(User("b", "", false, config::ACCESS_DOMESTIC)));
    ASSERT_TRUE(store.GetXml(saved));
    const std::string added = R"(<UserInfo Username="b" Access="domestic"/>)";
    EXPECT_EQ(saved.size(), text.size() + added.size());
    EXPECT_NE(saved.find("\t\t<DefaultUser>a</DefaultUser>\n\t" + added + "</Log>"),
              std::string::npos)
        << saved;
}

TEST(Serialise, WritesCharactersGbkLacksAsReferences) {
    CVORNXMLConfig store;
    ASSERT_TRUE(store.LoadXml(Doc(R"(<Log><UserInfo Username="a&#169;" Access="overall"/></Log>)"
                                  "<HBSInt>&#x1F600;:1</HBSInt>")));
    ASSERT_TRUE(store.AddUser(User("b", "", false, config::ACCESS_DOMESTIC)));
    std::string saved;
    ASSERT_TRUE(store.GetXml(saved)) << store.GetLastError();
    EXPECT_EQ(saved, Doc(R"(<Log><UserInfo Username="a&#169;" Access="overall"/>)"
                         R"(<UserInfo Username="b" Access="domestic"/></Log>)"
                         "<HBSInt>&#128512;:1</HBSInt>"));
}

TEST(Serialise, RefusesANameGbkLacks) {
    CVORNXMLConfig store;
    // An element named "x©", in UTF-8: no character reference may stand in a name.
    ASSERT_TRUE(
        store.LoadXml("\xEF\xBB\xBF<VORNClientConfig><Log/><x\xC2\xA9/></VORNClientConfig>"));
    std::string saved;
    EXPECT_FALSE(store.GetXml(saved));
    EXPECT_EQ(store.GetLastError(), "Fail!ErrorCode 84\n");
}

TEST(EmptyStore, FindsNothingAndSavesNothing) {
    testsupport::CTempFolder folder;
    CVORNXMLConfig store(folder.Path());
    std::array<config::UserInfo, 10> records;
    std::size_t count = 5;
    EXPECT_TRUE(store.GetUserList(records, count));
    EXPECT_EQ(count, 0u);
    config::UserText name;
    EXPECT_FALSE(store.GetDefaultUser(name));
    EXPECT_FALSE(store.AddUser(User("bob", "pw", true, 1)));
    EXPECT_FALSE(store.GetConPrompt());
    EXPECT_FALSE(store.Save());
    EXPECT_EQ(folder.Listing(), "");
}

TEST(PlainFile, IsGbkOnDiskAndReadBack) {
    testsupport::CTempFolder folder;
    testsupport::WriteBytes(folder / "config.xml", Doc(R"(<Style ConPrompt="true"/><Log/>)"));
    CVORNXMLConfig store(folder.Path());
    ASSERT_TRUE(store.Load());
    ASSERT_TRUE(store.AddUser(User(kGbkName, kGbkPassword, true, config::ACCESS_OVERALL)));
    ASSERT_TRUE(store.Save());

    const std::string bytes = testsupport::ReadBytes(folder / "config.xml");
    EXPECT_NE(bytes.find(kGbkName), std::string::npos);
    EXPECT_EQ(bytes.find("\xE5\xBC\xA0"), std::string::npos); // "张" in UTF-8
    EXPECT_EQ(testsupport::PermissionBits(folder / "config.xml"), 0600u);

    CVORNXMLConfig reread(folder.Path());
    ASSERT_TRUE(reread.Load());
    std::array<config::UserInfo, 10> users;
    std::size_t count = 0;
    ASSERT_TRUE(reread.GetUserList(users, count));
    ASSERT_EQ(count, 1u);
    EXPECT_EQ(users[0].username.View(), kGbkName);
    EXPECT_EQ(users[0].password.View(), kGbkPassword);
}

TEST(PlainFile, MissingFileFailsToLoad) {
    testsupport::CTempFolder folder;
    CVORNXMLConfig store(folder.Path());
    errno = 0;
    EXPECT_FALSE(store.Load());
    EXPECT_EQ(store.GetLastError(), "Error Number:2\n");
}

TEST(UserInfoRecord, RefusesTextsOver63Bytes) {
    config::UserInfo record;
    EXPECT_TRUE(record.username.Assign(std::string(63, 'u')));
    EXPECT_FALSE(record.username.Assign(std::string(64, 'v')));
    EXPECT_EQ(record.username.View(), std::string(63, 'u'));
    EXPECT_TRUE(record.password.Assign(kGbk63));
    EXPECT_FALSE(record.password.Assign(kGbk64));
    EXPECT_EQ(record.password.View(), kGbk63);
}

} // namespace
