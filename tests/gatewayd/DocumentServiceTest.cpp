#include "tools/gatewayd/DocumentService.h"

#include "tests/support/TempFolder.h"
#include "tools/gatewayd/HttpMessage.h"

#include <gtest/gtest.h>

namespace {

using testsupport::CTempFolder;

constexpr std::string_view kList = "<IP2MAC><IPMAC ip=\"192.0.2.1\" mac=\"00-11-22-33-44-55\"/>";
constexpr std::string_view kAnnouncement = "<message-list>\xb9\xab\xb8\xe6</message-list>";

std::string Scrambled(std::string_view text) {
    std::string bytes(text);
    for (char& byte : bytes) {
        byte = static_cast<char>(static_cast<unsigned char>(byte) ^ 0xD6);
    }
    return bytes;
}

struct DocumentCase {
    const char* name;
    std::string head;
    std::string expected; // the complete answer
};

class DocumentAnswers : public testing::TestWithParam<DocumentCase> {};

TEST_P(DocumentAnswers, AsTheClientsExpect) {
    const CTempFolder folder;
    const gatewayd::CDocumentService service(
        {folder.Write("list", kList), folder.Write("announce", kAnnouncement)});
    EXPECT_EQ(service.Respond(GetParam().head), GetParam().expected);
}

const std::string kNotFound = gatewayd::BuildHttpResponse("404 Not Found", "not found\n");

INSTANTIATE_TEST_SUITE_P(
    Cases, DocumentAnswers,
    testing::Values(
        DocumentCase{"announcement", "GET /announce/vornmsg.xml HTTP/1.1\r\nHost: gw\r\n\r\n",
                     gatewayd::BuildHttpResponse("200 OK", kAnnouncement, "text/xml")},
        DocumentCase{
            "list_scrambled", "GET /ipmac/w5hqey HTTP/1.1\r\n\r\n",
            gatewayd::BuildHttpResponse("200 OK", Scrambled(kList), "application/octet-stream")},
        DocumentCase{"query_ignored", "GET /announce/vornmsg.xml?x=1 HTTP/1.0\n\n",
                     gatewayd::BuildHttpResponse("200 OK", kAnnouncement, "text/xml")},
        DocumentCase{
            "absolute_url", "GET http://gw.example/ipmac/w5hqey HTTP/1.1\r\n\r\n",
            gatewayd::BuildHttpResponse("200 OK", Scrambled(kList), "application/octet-stream")},
        DocumentCase{"other_path", "GET /announce/ HTTP/1.1\r\n\r\n", kNotFound},
        DocumentCase{"other_case", "GET /IPMAC/W5HQEY HTTP/1.1\r\n\r\n", kNotFound},
        DocumentCase{"gateway_path", "GET /vornofqel?uid=a HTTP/1.1\r\n\r\n", kNotFound},
        DocumentCase{"not_get", "POST /ipmac/w5hqey HTTP/1.1\r\n\r\n",
                     gatewayd::BuildHttpResponse("400 Bad Request", "bad request\n")},
        DocumentCase{"no_version_but_junk", "GET /ipmac/w5hqey junk\r\n\r\n",
                     gatewayd::BuildHttpResponse("400 Bad Request", "bad request\n")}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DocumentService, AnswersNotFoundForADocumentNotPublishedOrMissing) {
    const CTempFolder folder;
    const gatewayd::CDocumentService unpublished({});
    const gatewayd::CDocumentService missing({folder / "none", folder / "none"});
    for (const gatewayd::CDocumentService* service : {&unpublished, &missing}) {
        EXPECT_EQ(service->Respond("GET /ipmac/w5hqey HTTP/1.1\r\n\r\n"), kNotFound);
        EXPECT_EQ(service->Respond("GET /announce/vornmsg.xml HTTP/1.1\r\n\r\n"), kNotFound);
    }
}

TEST(DocumentService, ReadsTheFileAtEveryRequest) {
    const CTempFolder folder;
    const std::filesystem::path file = folder.Write("announce", "first");
    const gatewayd::CDocumentService service({{}, file});
    const std::string head = "GET /announce/vornmsg.xml HTTP/1.1\r\n\r\n";
    EXPECT_EQ(service.Respond(head), gatewayd::BuildHttpResponse("200 OK", "first", "text/xml"));
    folder.Write("announce", "second");
    EXPECT_EQ(service.Respond(head), gatewayd::BuildHttpResponse("200 OK", "second", "text/xml"));
    std::filesystem::remove(file);
    EXPECT_EQ(service.Respond(head), kNotFound);
}

TEST(DocumentService, RefusesAFileTooLargeToServe) {
    const CTempFolder folder;
    const gatewayd::CDocumentService service(
        {folder.Write("list", std::string(gatewayd::kMaxDocumentBytes + 1, 'x')), {}});
    EXPECT_EQ(
        service.Respond("GET /ipmac/w5hqey HTTP/1.1\r\n\r\n"),
        gatewayd::BuildHttpResponse("500 Internal Server Error", "cannot read the document\n"));
}

} // namespace
