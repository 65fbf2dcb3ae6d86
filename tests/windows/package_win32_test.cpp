// The packages as a person on Windows takes them: the zip, unpacked, holds the stripped
// program with its two texts, and that program makes a table; the installer, run silently
// without administrator rights, puts the program, its Start menu shortcut and its entry among
// the installed programs in place, and the installed program makes a table; the silent
// uninstall then takes every one of them away again. The window is driven from this process,
// as a person drives it. Narrow literals here are GBK.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "platform/code_page.h"
#include "tests/end_to_end_cases.h"
#include "tests/windows/child_process.h"
#include "tests/windows/win32_window_support.h"

namespace {

const std::string kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Cellbrae";

std::string fileBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

bool isFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The names in a folder, sub-folders included, sorted.
std::set<std::string> namesIn(const std::string& folder) {
  std::set<std::string> names;
  WIN32_FIND_DATAA found{};
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = found.cFileName;
    if (name != "." && name != "..") names.insert(name);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return names;
}

std::string knownFolder(int csidl) {
  char path[MAX_PATH] = {};
  return SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path) == S_OK ? path : "";
}

// The shared list's first case, made in the window of a running cellbrae.exe: the input set,
// the separator's radio box and "按钮1" clicked, then the output box read once the table is
// there (or the program has stopped working: the wait is a guard against hanging).
void expectTableMadeBy(const std::string& program) {
  const EndToEndCase each = endToEndCases().front();
  Child running(program);
  ASSERT_TRUE(running.started()) << program;
  HWND window = running.waitForWindow(kWindowClass, "Cellbrae");
  ASSERT_NE(window, nullptr);
  HWND input = controlNamed(window, "编辑框1");
  HWND output = controlNamed(window, "编辑框2");
  HWND button = controlNamed(window, "按钮1");
  HWND radio = controlNamed(window, platformCodePage().toAnsi(radioBoxFor(each.separator)));
  ASSERT_TRUE(input != nullptr && output != nullptr && button != nullptr && radio != nullptr);
  SendMessageA(input, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(each.input.c_str()));
  SendMessageA(radio, BM_CLICK, 0, 0);
  SendMessageA(button, BM_CLICK, 0, 0);
  std::string table;
  StallWatch watch;
  while ((table = windowText(output)) != each.output && !running.stalled(watch)) Sleep(20);
  EXPECT_EQ(table, each.output);
  PostMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(running.exitCode(), 0u);
}

// A PE file with no symbols and no debugging sections: what strip leaves. Names longer than
// eight letters (".eh_frame", ".debug_info") stand as "/N", N an offset into the string table
// that follows the symbols.
bool isStripped(const std::string& image) {
  if (image.size() < 0x40) return false;
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image.data());
  const auto* file = reinterpret_cast<const IMAGE_FILE_HEADER*>(image.data() + dos->e_lfanew + 4);
  if (file->NumberOfSymbols != 0) return false;
  const auto* section = reinterpret_cast<const IMAGE_SECTION_HEADER*>(reinterpret_cast<const char*>(file + 1) +
                                                                      file->SizeOfOptionalHeader);
  for (int i = 0; i < file->NumberOfSections; ++i, ++section) {
    std::string name(reinterpret_cast<const char*>(section->Name), strnlen(reinterpret_cast<const char*>(section->Name), 8));
    if (name.rfind('/', 0) == 0) {
      const size_t at = file->PointerToSymbolTable + std::stoul(name.substr(1));
      if (at >= image.size()) return false;
      name = image.c_str() + at;
    }
    if (name.rfind(".debug", 0) == 0) return false;
  }
  return true;
}

// Every line ended by "\r\n", as Notepad wants it.
bool crlfOnly(const std::string& text) {
  for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1)) {
    if (at == 0 || text[at - 1] != '\r') return false;
  }
  return !text.empty() && text.back() == '\n';
}

TEST(PackageZip, HoldsTheStrippedProgramAndItsTextsAndTheProgramMakesATable) {
  const std::string folder = besideTests(CELLBRAE_UNZIPPED_FROM_TESTS);
  EXPECT_EQ(namesIn(folder), (std::set<std::string>{"NOTICES.txt", "README.txt", "cellbrae.exe"}));
  EXPECT_TRUE(isStripped(fileBytes(folder + "\\cellbrae.exe")));
  // UTF-8 with its byte order mark, so every Notepad reads the Chinese half.
  const std::string readme = fileBytes(folder + "\\README.txt");
  const std::string readmeStart = "\xEF\xBB\xBF" "Cellbrae " CELLBRAE_VERSION "\r\n\r\n[";
  EXPECT_EQ(readme.substr(0, readmeStart.size()), readmeStart);
  EXPECT_TRUE(crlfOnly(readme));
  const std::string notices = fileBytes(folder + "\\NOTICES.txt");
  const std::string noticesStart = "Cellbrae and the parts built into it, each under its own licence.\r\n";
  EXPECT_EQ(notices.substr(0, noticesStart.size()), noticesStart);
  EXPECT_TRUE(crlfOnly(notices));
  expectTableMadeBy(folder + "\\cellbrae.exe");
}

std::string registryText(HKEY key, const char* name) {
  char value[1024] = {};
  DWORD size = sizeof value;
  DWORD type = 0;
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) != ERROR_SUCCESS) return "<none>";
  return type == REG_SZ ? std::string(value) : "<not text>";
}

DWORD registryNumber(HKEY key, const char* name) {
  DWORD value = 0xFFFFFFFFu;
  DWORD size = sizeof value;
  DWORD type = 0;
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
      type != REG_DWORD) {
    return 0xFFFFFFFFu;
  }
  return value;
}

// The program a Start menu shortcut starts.
std::string shortcutTarget(const std::string& link) {
  std::string target;
  IShellLinkA* shellLink = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(&shellLink)))) {
    return "<no shell link>";
  }
  IPersistFile* file = nullptr;
  if (SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    std::wstring wide(link.begin(), link.end());
    char path[MAX_PATH] = {};
    if (SUCCEEDED(file->Load(wide.c_str(), STGM_READ)) && SUCCEEDED(shellLink->GetPath(path, MAX_PATH, nullptr, 0))) {
      target = path;
    }
    file->Release();
  }
  shellLink->Release();
  return target;
}

// Waits for an installer or uninstaller to end. Not while it works: the uninstaller waits for
// a running Cellbrae to end, idle for up to 30 s on purpose, so a bound of four times that.
void waitForInstaller(HANDLE process) { WaitForSingleObject(process, 120000); }

// Runs a command line as the list of installed programs runs it and waits for it to end,
// together with any process it started. NSIS's uninstaller hands its work to a copy of
// itself and ends at once with 0, so the exit code given is the copy's where there is one.
DWORD runAndWaitForAll(const std::string& commandLine) {
  std::string line = commandLine;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
    return 0xFFFFFFFFu;
  }
  waitForInstaller(info.hProcess);
  DWORD code = STILL_ACTIVE;
  GetExitCodeProcess(info.hProcess, &code);
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
    if (entry.th32ParentProcessID != info.dwProcessId) continue;
    if (HANDLE child = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID)) {
      waitForInstaller(child);
      GetExitCodeProcess(child, &code);
      CloseHandle(child);
    }
  }
  CloseHandle(snapshot);
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  return code;
}

TEST(PackageInstaller, SilentInstallPutsEverythingInPlaceAndSilentUninstallLeavesNothing) {
  ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
  const std::string programs = knownFolder(CSIDL_LOCAL_APPDATA) + "\\Programs";
  const std::string folder = programs + "\\Cellbrae";
  const std::string shortcut = knownFolder(CSIDL_PROGRAMS) + "\\Cellbrae.lnk";
  const bool programsBefore = isFolder(programs);
  ASSERT_FALSE(exists(folder));
  ASSERT_FALSE(exists(shortcut));

  Child setup(besideTests(CELLBRAE_SETUP_FROM_TESTS), "/S");
  ASSERT_TRUE(setup.started());
  ASSERT_EQ(setup.exitCode(), 0u);

  // The same files as the zip's, and the uninstaller.
  const std::string unzipped = besideTests(CELLBRAE_UNZIPPED_FROM_TESTS);
  EXPECT_EQ(namesIn(folder), (std::set<std::string>{"NOTICES.txt", "README.txt", "cellbrae.exe", "uninstall.exe"}));
  uint64_t bytes = 0;
  for (const char* name : {"cellbrae.exe", "README.txt", "NOTICES.txt"}) {
    SCOPED_TRACE(name);
    const std::string installed = fileBytes(folder + "\\" + name);
    EXPECT_EQ(installed.size(), fileBytes(unzipped + "\\" + name).size());
    EXPECT_TRUE(installed == fileBytes(unzipped + "\\" + name));
    bytes += installed.size();
  }
  bytes += fileBytes(folder + "\\uninstall.exe").size();
  EXPECT_EQ(shortcutTarget(shortcut), folder + "\\cellbrae.exe");

  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kUninstallKey.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
  EXPECT_EQ(registryText(key, "DisplayName"), "Cellbrae");
  EXPECT_EQ(registryText(key, "DisplayVersion"), CELLBRAE_VERSION);
  EXPECT_EQ(registryText(key, "Publisher"), "Cellbrae developers");
  EXPECT_EQ(registryText(key, "DisplayIcon"), folder + "\\cellbrae.exe,0");
  EXPECT_EQ(registryText(key, "InstallLocation"), folder);
  EXPECT_EQ(registryText(key, "UninstallString"), "\"" + folder + "\\uninstall.exe\"");
  const std::string quietUninstall = registryText(key, "QuietUninstallString");
  EXPECT_EQ(quietUninstall, "\"" + folder + "\\uninstall.exe\" /S");
  EXPECT_EQ(registryNumber(key, "NoModify"), 1u);
  EXPECT_EQ(registryNumber(key, "NoRepair"), 1u);
  EXPECT_EQ(registryNumber(key, "EstimatedSize"), bytes / 1024);  // whole KiB of the folder
  EXPECT_EQ(registryNumber(key, "CellbraeMadeParentFolder"), programsBefore ? 0xFFFFFFFFu : 1u);
  RegCloseKey(key);

  expectTableMadeBy(folder + "\\cellbrae.exe");

  EXPECT_EQ(runAndWaitForAll(quietUninstall), 0u);
  EXPECT_FALSE(exists(folder));
  EXPECT_FALSE(exists(shortcut));
  EXPECT_EQ(isFolder(programs), programsBefore) << "the folder above the program's goes only if the install made it";
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kUninstallKey.c_str(), 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  CoUninitialize();
}

// Installed silently, as the tests below start from; false when the install failed.
bool installSilently() {
  Child setup(besideTests(CELLBRAE_SETUP_FROM_TESTS), "/S");
  return setup.started() && setup.exitCode() == 0;
}

const std::set<std::string> kInstalledNames{"NOTICES.txt", "README.txt", "cellbrae.exe", "uninstall.exe"};

// Uninstalling while the program runs: the silent uninstall closes its window, waits for it
// to end, and then takes everything away, as with the program closed.
TEST(PackageInstaller, SilentUninstallClosesTheRunningProgramAndLeavesNothing) {
  ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
  const std::string folder = knownFolder(CSIDL_LOCAL_APPDATA) + "\\Programs\\Cellbrae";
  const std::string shortcut = knownFolder(CSIDL_PROGRAMS) + "\\Cellbrae.lnk";
  ASSERT_TRUE(installSilently());
  ASSERT_EQ(namesIn(folder), kInstalledNames);

  Child running(folder + "\\cellbrae.exe");
  ASSERT_TRUE(running.started());
  ASSERT_NE(running.waitForWindow(kWindowClass, "Cellbrae"), nullptr);
  EXPECT_EQ(runAndWaitForAll("\"" + folder + "\\uninstall.exe\" /S"), 0u);
  EXPECT_EQ(running.exitCode(), 0u) << "the program ends as its close box ends it";
  EXPECT_EQ(namesIn(folder), std::set<std::string>()) << "files left";
  EXPECT_FALSE(exists(folder));
  EXPECT_FALSE(exists(shortcut));
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kUninstallKey.c_str(), 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  CoUninitialize();
}

// A program file that cannot be removed (held by a program that does not end) stops the
// uninstall before anything goes: a failure code, and the program, its shortcut, its entry
// and the uninstaller all still in place, so the uninstall can be run again.
TEST(PackageInstaller, SilentUninstallThatCannotRemoveTheProgramRemovesNothingAndFails) {
  ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
  const std::string folder = knownFolder(CSIDL_LOCAL_APPDATA) + "\\Programs\\Cellbrae";
  const std::string shortcut = knownFolder(CSIDL_PROGRAMS) + "\\Cellbrae.lnk";
  ASSERT_TRUE(installSilently());
  const std::string uninstall = "\"" + folder + "\\uninstall.exe\" /S";

  HANDLE held = CreateFileA((folder + "\\cellbrae.exe").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_EQ(runAndWaitForAll(uninstall), 2u) << "NSIS's code for an uninstall its script stopped";
  CloseHandle(held);
  EXPECT_EQ(namesIn(folder), kInstalledNames) << "files left";
  EXPECT_EQ(shortcutTarget(shortcut), folder + "\\cellbrae.exe");
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kUninstallKey.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
  EXPECT_EQ(registryText(key, "QuietUninstallString"), uninstall);
  RegCloseKey(key);

  // Once the program is gone, the same uninstall removes everything.
  EXPECT_EQ(runAndWaitForAll(uninstall), 0u);
  EXPECT_FALSE(exists(folder));
  EXPECT_FALSE(exists(shortcut));
  CoUninitialize();
}

}  // namespace
