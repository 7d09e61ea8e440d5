#include "platform/BinaryFile.h"

#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <string>

namespace {

using testsupport::CTempFolder;
using testsupport::PermissionBits;
using testsupport::ReadFile;

TEST(WriteFileAtomically, ReplacesTheFileWithItsModeAndLeavesNothingElse) {
    const CTempFolder folder;
    const auto path = folder.Write("imcache", "old contents");
    ASSERT_TRUE(platform::WriteFileAtomically(path, std::string("new\0bytes", 9), 0600));
    EXPECT_EQ(ReadFile(path), std::string("new\0bytes", 9));
    EXPECT_EQ(PermissionBits(path), 0600u);
    EXPECT_EQ(folder.Listing(), "imcache");
}

TEST(WriteFileAtomically, FailsInAMissingFolderWithErrno) {
    const CTempFolder folder;
    errno = 0;
    EXPECT_FALSE(platform::WriteFileAtomically(folder / "no" / "config", "x", 0600));
    EXPECT_EQ(errno, ENOENT);
    EXPECT_EQ(folder.Listing(), "");
}

// A write that the file size limit stops midway: the limit's signal either ends the
// process there, or is ignored and the write fails.
struct CutShortCase {
    const char* name;
    bool ignoreSignal;
};

class WriteCutShort : public testing::TestWithParam<CutShortCase> {};

TEST_P(WriteCutShort, KeepsTheOldFileAndLeavesNothingElse) {
    const CTempFolder folder;
    const auto path = folder.Write("config", "old contents");
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const rlimit noCore{0, 0};
        const rlimit smallFiles{4096, 4096};
        std::signal(SIGXFSZ, GetParam().ignoreSignal ? SIG_IGN : SIG_DFL);
        if (setrlimit(RLIMIT_CORE, &noCore) != 0 || setrlimit(RLIMIT_FSIZE, &smallFiles) != 0) {
            _exit(2);
        }
        const bool written = platform::WriteFileAtomically(path, std::string(1 << 20, 'n'), 0600);
        _exit(written ? 0 : (errno == EFBIG ? 1 : 3));
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    if (GetParam().ignoreSignal) {
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
    } else {
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ) << status;
    }
    EXPECT_EQ(ReadFile(path), "old contents");
    EXPECT_EQ(folder.Listing(), "config");
}

INSTANTIATE_TEST_SUITE_P(Cases, WriteCutShort,
                         testing::Values(CutShortCase{"Killed", false},
                                         CutShortCase{"Refused", true}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
