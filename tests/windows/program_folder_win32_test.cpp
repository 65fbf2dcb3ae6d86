// Entering the program's folder when its path is hard on an ANSI program: a folder named with a
// character code page 936 lacks, and a program file whose name holds a GBK character whose
// trail byte is a backslash. A copy of this test program is run from there and reports the
// current directory it ended up in.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/process.h"
#include "tests/windows/child_process.h"

namespace {

constexpr wchar_t kReportSwitch[] = L"--report-folder=";

// The child's whole job: enter its folder and write the current directory (UTF-16) to `report`.
int reportFolder(const wchar_t* report) {
  if (!platformProcess().enterProgramFolder()) return 3;
  wchar_t folder[MAX_PATH * 4] = {};
  const DWORD length = GetCurrentDirectoryW(MAX_PATH * 4, folder);
  HANDLE file = CreateFileW(report, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 4;
  DWORD written = 0;
  WriteFile(file, folder, length * sizeof(wchar_t), &written, nullptr);
  CloseHandle(file);
  return 0;
}

std::wstring ownPath() {
  wchar_t path[MAX_PATH * 4] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
  return path;
}

std::wstring readWide(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return L"(no report)";
  wchar_t buffer[MAX_PATH * 4] = {};
  DWORD read = 0;
  ReadFile(file, buffer, sizeof buffer - sizeof(wchar_t), &read, nullptr);
  CloseHandle(file);
  return std::wstring(buffer, read / sizeof(wchar_t));
}

TEST(ProgramFolder, EnteredWhenItsPathIsOutsideTheCodePage) {
  wchar_t temp[MAX_PATH] = {};
  ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
  // U+0E01 (Thai) is not in code page 936; "乗" is 0x81 0x5C there, and "表" ends in 0xED.
  const std::wstring folder = std::wstring(temp) + L"cellbrae \u8868\u0E01";
  const std::wstring program = folder + L"\\\u4E57.exe";
  const std::wstring report = std::wstring(temp) + L"cellbrae-folder-report";
  CreateDirectoryW(folder.c_str(), nullptr);
  ASSERT_TRUE(CopyFileW(ownPath().c_str(), program.c_str(), FALSE)) << GetLastError();
  DeleteFileW(report.c_str());

  std::wstring command = L"\"" + program + L"\" " + kReportSwitch + report;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION child{};
  ASSERT_TRUE(CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             temp, &startup, &child))
      << GetLastError();
  EXPECT_TRUE(waitWhileWorking(child.hProcess));
  DWORD exitCode = 99;
  GetExitCodeProcess(child.hProcess, &exitCode);
  CloseHandle(child.hThread);
  CloseHandle(child.hProcess);

  EXPECT_EQ(exitCode, 0u);
  EXPECT_TRUE(readWide(report) == folder) << "the child did not end up in its own folder";
  DeleteFileW(report.c_str());
  DeleteFileW(program.c_str());
  RemoveDirectoryW(folder.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  const size_t switchLength = std::wcslen(kReportSwitch);
  if (arguments != nullptr && count == 2 && std::wcsncmp(arguments[1], kReportSwitch, switchLength) == 0) {
    return reportFolder(arguments[1] + switchLength);
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
