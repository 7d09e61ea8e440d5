#include "tests/support/ProgramRun.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

namespace {

using testsupport::CTempFolder;
using testsupport::ProgramRun;

TEST(ReportCommand, WritesTheReportInTheWorkdirAndPrintsItsPath) {
    const CTempFolder folder;
    const CTempFolder scratch;
    const ProgramRun run = testsupport::RunProgram(
        VORNCTL_PATH, {"report", "--workdir", folder.Path().string()}, "", scratch.Path());
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, (folder / "nsr.txt").string() + "\n");
    EXPECT_EQ(run.err, "");
    const std::string report = testsupport::ReadBytes(folder / "nsr.txt");
    EXPECT_TRUE(report.starts_with("//////////////////////////////////////////////\n"));
    EXPECT_NE(report.find("七、网络端口状态\n"), std::string::npos);
}

TEST(ReportCommand, SaysWhyWhenTheReportCannotBeWritten) {
    const CTempFolder folder;
    // Even root cannot open a folder for writing.
    std::filesystem::create_directory(folder / "nsr.txt");
    const CTempFolder scratch;
    const ProgramRun run = testsupport::RunProgram(
        VORNCTL_PATH, {"report", "--workdir", folder.Path().string()}, "", scratch.Path());
    EXPECT_EQ(run.exitCode, 4);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "vornctl: warning: Fail to open report file\n"
                       "vornctl: Fail to report network state\n");
}

} // namespace
