#include "tools/gatewayd/GatewayProtocol.h"

#include "tools/gatewayd/HttpMessage.h"

#include <gtest/gtest.h>

namespace {

using gatewayd::GatewayRequest;
using gatewayd::ParsedRequest;
using gatewayd::RequestProblem;

struct ParseCase {
    const char* name;
    std::string head;
    RequestProblem problem;
    GatewayRequest expected;
};

class ParseGatewayRequest : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseGatewayRequest, ReadsTheParameters) {
    const ParsedRequest parsed = gatewayd::ParseGatewayRequest(GetParam().head);
    EXPECT_EQ(parsed.problem, GetParam().problem);
    const GatewayRequest& expected = GetParam().expected;
    EXPECT_EQ(parsed.request.uid, expected.uid);
    EXPECT_EQ(parsed.request.password, expected.password);
    EXPECT_EQ(parsed.request.range, expected.range);
    EXPECT_EQ(parsed.request.operation, expected.operation);
}

const std::string kClientQuery =
    "uid=student01&password=a+b%26c%25&range=1&operation=connect&timeout=1";
const std::string kClientHeaders =
    "Host:gw.example\nUser-Agent:Mozilla/4.04[en](Win95;I;Nav)\nPragma:no-cache\n"
    "Cache-Control:no-cache\n\n";
const GatewayRequest kClientRequest{"student01", "a b&c%", "1", "connect"};

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseGatewayRequest,
    testing::Values(
        ParseCase{"client_form_bare_lf",
                  "GET https://gw.example:5428/vornofqel?" + kClientQuery + "\n" + kClientHeaders,
                  RequestProblem::None, kClientRequest},
        ParseCase{"client_form_crlf",
                  "GET https://gw.example:5428/vornofqel?" + kClientQuery +
                      "\r\nHost:gw.example\r\n\r\n",
                  RequestProblem::None, kClientRequest},
        ParseCase{"http11_form_crlf",
                  "GET /vornofqel?" + kClientQuery +
                      " HTTP/1.1\r\nHost: localhost\r\nAccept: */*\r\n\r\n",
                  RequestProblem::None, kClientRequest},
        ParseCase{"http11_form_bare_lf", "GET /vornofqel?" + kClientQuery + " HTTP/1.1\n\n",
                  RequestProblem::None, kClientRequest},
        ParseCase{"uid_is_taken_raw",
                  "GET /vornofqel?uid=a%41+b&password=p%41+&operation=disconnect\n\n",
                  RequestProblem::None,
                  {"a%41+b", "pA ", std::nullopt, "disconnect"}},
        ParseCase{"gbk_password_bytes_pass_unchanged",
                  "GET /vornofqel?uid=\xD5\xC5&password=\xBF\xDA%21&range=4"
                  "&operation=disconnectall\n\n",
                  RequestProblem::None,
                  {"\xD5\xC5", "\xBF\xDA!", "4", "disconnectall"}},
        ParseCase{"missing_parameters",
                  "GET /vornofqel?uid=x&timeout=1\n\n",
                  RequestProblem::None,
                  {"x", std::nullopt, std::nullopt, std::nullopt}},
        ParseCase{"no_query_at_all", "GET /vornofqel HTTP/1.0\r\n\r\n", RequestProblem::None, {}},
        ParseCase{"empty_and_valueless_parameters",
                  "GET /vornofqel?uid=&range&&operation=\n\n",
                  RequestProblem::None,
                  {"", std::nullopt, "", ""}},
        ParseCase{"first_of_repeated_counts",
                  "GET /vornofqel?range=2&range=1&uid=a&uid=b\n\n",
                  RequestProblem::None,
                  {"a", std::nullopt, "2", std::nullopt}},
        ParseCase{"other_path",
                  "GET https://gw.example:5428/status?uid=a\n\n",
                  RequestProblem::NotFound,
                  {}},
        ParseCase{"path_prefix_only",
                  "GET /vornofqelx?uid=a HTTP/1.1\r\n\r\n",
                  RequestProblem::NotFound,
                  {}},
        ParseCase{
            "url_without_path", "GET https://gw.example:5428\n\n", RequestProblem::NotFound, {}},
        ParseCase{
            "not_get", "POST /vornofqel?uid=a HTTP/1.1\r\n\r\n", RequestProblem::BadRequest, {}},
        ParseCase{
            "no_version_after_space", "GET /vornofqel?uid=a b\n\n", RequestProblem::BadRequest, {}},
        ParseCase{"empty_request_line", "\r\n", RequestProblem::BadRequest, {}}),
    [](const auto& info) { return std::string(info.param.name); });

struct DecodeCase {
    const char* encoded;
    const char* decoded;
};

class UrlDecode : public testing::TestWithParam<DecodeCase> {};

TEST_P(UrlDecode, TurnsPlusIntoSpaceAndEscapesIntoBytes) {
    EXPECT_EQ(gatewayd::UrlDecode(GetParam().encoded), GetParam().decoded);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UrlDecode,
    testing::Values(DecodeCase{"plain-text_1.*", "plain-text_1.*"}, DecodeCase{"a+b", "a b"},
                    DecodeCase{"%21%2B%3d%7E", "!+=~"}, DecodeCase{"%BF%DA", "\xBF\xDA"},
                    DecodeCase{"100%", "100%"}, DecodeCase{"%4", "%4"}, DecodeCase{"%G1x", "%G1x"},
                    DecodeCase{"%%41", "%A"}, DecodeCase{"", ""}));

struct HeadEndCase {
    const char* name;
    std::string received;
    std::size_t end;
};

class FindHeadEnd : public testing::TestWithParam<HeadEndCase> {};

TEST_P(FindHeadEnd, StopsAfterTheFirstEmptyLine) {
    EXPECT_EQ(gatewayd::FindHeadEnd(GetParam().received), GetParam().end);
}

constexpr std::size_t kIncomplete = std::string::npos;

INSTANTIATE_TEST_SUITE_P(Cases, FindHeadEnd,
                         testing::Values(HeadEndCase{"bare_lf", "GET /\nHost:a\n\nrest", 14},
                                         HeadEndCase{"crlf", "GET /\r\nHost:a\r\n\r\nrest", 17},
                                         HeadEndCase{"mixed", "GET /\r\nHost:a\n\r\n", 16},
                                         HeadEndCase{"request_line_only", "GET /\n\n", 7},
                                         HeadEndCase{"no_empty_line_yet", "GET /\nHost:a\n",
                                                     kIncomplete},
                                         HeadEndCase{"cr_without_lf", "GET /\r\n\r", kIncomplete},
                                         HeadEndCase{"nothing", "", kIncomplete}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FormatAnswerBody, PutsOneSpaceAfterEveryValueBetweenTheMarkers) {
    EXPECT_EQ(gatewayd::FormatAnswerBody({{"SUCCESS", "NO"}, {"REASON", "\xBF\xDA."}}),
              "VORNCLIENT_STARTSUCCESS=NO REASON=\xBF\xDA. VORNCLIENT_END");
    EXPECT_EQ(gatewayd::FormatAnswerBody({{"A", ""}}), "VORNCLIENT_STARTA= VORNCLIENT_END");
    EXPECT_EQ(gatewayd::FormatAnswerBody({}), "VORNCLIENT_STARTVORNCLIENT_END");
}

TEST(BuildHttpResponse, IsAClosingHttp10AnswerWithTheBodyLength) {
    EXPECT_EQ(gatewayd::BuildHttpResponse("200 OK", "\xBF\xDA body"),
              "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 7\r\n"
              "Connection: close\r\n\r\n\xBF\xDA body");
}

} // namespace
