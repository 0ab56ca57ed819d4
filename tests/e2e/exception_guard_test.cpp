// The exception guard, proved from outside on the fault-test build of the
// program: whatever faults inside the window, the run ends with the
// "失败"/"错误" box, the end line in log.txt and exit code 0, and the
// settings are not saved.
#include "fault_injection.h"
#include "harness.h"
#include "program_files.h"
#include "resource.h"

#include <gtest/gtest.h>

namespace e2e {
namespace {

struct Fault {
    TestFault kind;
    const char* name;
};

void PrintTo(const Fault& fault, std::ostream* out)
{
    *out << fault.name;
}

// A copy of the fault-test build with settings that a save would change.
ProgramCopy::Options FaultTestBuild()
{
    ProgramCopy::Options options;
    options.exe = L"ZorDU3VodizaroFaultTest.exe";
    return options;
}

// The end after a fault: the "失败" box without owner, which the test
// answers; exit code 0; settings.ini as before; log.txt with the start-up
// lines and the end line only.
void ExpectFailureBoxAndEnd(const ProgramCopy& copy, const Program& program, HWND except,
                            const std::string& settings, const std::string& output, const std::string& shot)
{
    std::optional<MessageBoxSeen> box = WaitForMessageBox(program.Id(), except);
    ASSERT_TRUE(box) << "no failure box";
    EXPECT_EQ(box->text, "失败");
    EXPECT_EQ(box->caption, "错误");
    EXPECT_EQ(box->owner, nullptr);
    EXPECT_EQ(FindTopWindow(program.Id(), L"#32770", L"Zor DU3 Vodizaro"), nullptr) << "the broken window is gone";
    if (!shot.empty()) Screenshot(box->box, shot);
    Answer(*box, IDOK);
    EXPECT_EQ(program.WaitForExit(), 0u);
    EXPECT_EQ(copy.Read(L"settings.ini"), settings);
    std::vector<std::string> lines = StartupLogLines(copy, output);
    lines.push_back("End ZorDU3Vodizaro\n");
    ExpectLog(copy.Read(L"log.txt"), lines);
}

class ExceptionGuard : public ::testing::TestWithParam<Fault> {};

TEST_P(ExceptionGuard, AFaultInsideTheWindowEndsTheRunWithTheFailureBoxAndWithoutSaving)
{
    ProgramCopy copy(FaultTestBuild());
    const std::string settings = SettingsFile(0, "", "", "G:\\out\\");
    copy.Write(L"settings.ini", settings);
    Program program = copy.Start();
    HWND main = program.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    // A change that a save would write.
    Click(Item(main, IDC_CHECK_SAME_FOLDER));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowEnabled(Item(main, IDC_EDIT_OUTPUT_FOLDER)); }));

    PostMessageW(main, kTestFaultMessage, static_cast<WPARAM>(GetParam().kind), 0);
    ExpectFailureBoxAndEnd(copy, program, main, settings, "G:\\out\\",
                           std::string("exception_guard_") + GetParam().name);
}

TEST(ExceptionGuardAtStart, AFaultWhileTheWindowIsCreatedEndsTheRunTheSameWay)
{
    ProgramCopy::Options options = FaultTestBuild();
    options.environment = {
        {FromCp936(kTestFaultAtStartVariable), std::to_wstring(static_cast<int>(TestFault::AccessViolation))}};
    ProgramCopy copy(options);
    const std::string settings = SettingsFile(1, "", "", "H:\\out\\");
    copy.Write(L"settings.ini", settings);
    Program program = copy.Start();
    ExpectFailureBoxAndEnd(copy, program, nullptr, settings, "H:\\out\\", "");
}

INSTANTIATE_TEST_SUITE_P(Faults, ExceptionGuard,
                         ::testing::Values(Fault{TestFault::AccessViolation, "access_violation"},
                                           Fault{TestFault::IntegerDivideByZero, "divide_by_zero"},
                                           Fault{TestFault::CppException, "cpp_exception"},
                                           Fault{TestFault::IllegalInstruction, "illegal_instruction"}),
                         [](const ::testing::TestParamInfo<Fault>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace e2e
