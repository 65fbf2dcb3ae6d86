// One big paste into the real cellbrae.exe, made as a person makes it, watched from outside:
// the text goes on the clipboard and into "编辑框1" with WM_PASTE, "英文逗号" and "按钮1" are
// clicked, and the run is timed from the press until "编辑框2" holds the table. Prints the
// seconds, the program's peak resident memory, the longest the window took to answer while
// the run went, how the program ended, and whether the table is the one the lines call for.
//   paste_run PROGRAM lines|wide|long COUNT
//     lines: COUNT generated lines; wide: one line of COUNT columns; long: one line of about
//     COUNT bytes with no separator in it.
// Narrow literals here are GBK.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/generated_input.h"
#include "bench/store_free_table.h"
#include "tests/windows/child_process.h"
#include "tests/windows/win32_window_support.h"

namespace {

// Seconds on the performance counter (<chrono> does not build with GBK literals).
double now() {
  LARGE_INTEGER count;
  LARGE_INTEGER frequency;
  QueryPerformanceCounter(&count);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

std::string inputFor(const std::string& kind, int64_t count) {
  if (kind == "lines") return generatedInput(count);
  std::string text;
  const std::string words = generatedInput(count / 20 + 1);
  for (const char c : words) {
    if (c == '\r' || c == '\n') continue;
    // Cut only between words, never inside a two-byte character.
    if (kind == "long" && c == ',' && static_cast<int64_t>(text.size()) >= count) break;
    text += kind == "long" && c == ',' ? ' ' : c;
  }
  if (kind == "wide") {
    // Exactly COUNT columns: cut after the COUNT-th field.
    int64_t fields = 1;
    for (size_t at = 0; at < text.size(); ++at) {
      if (text[at] == ',' && ++fields > count) {
        text.resize(at);
        break;
      }
    }
  }
  return text;
}

bool putOnClipboard(const std::string& gbk) {
  const int units = MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), nullptr, 0);
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (static_cast<size_t>(units) + 1) * sizeof(wchar_t));
  if (block == nullptr) return false;
  auto* wide = static_cast<wchar_t*>(GlobalLock(block));
  MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), wide, units);
  wide[units] = L'\0';
  GlobalUnlock(block);
  if (!OpenClipboard(nullptr)) return false;
  EmptyClipboard();
  const bool put = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
  CloseClipboard();
  return put;
}

// How long the window takes to answer a message that asks nothing; -1 when it does not
// answer within a minute.
double answerMilliseconds(HWND window, LRESULT* result, UINT message = WM_NULL) {
  const double start = now();
  DWORD_PTR answer = 0;
  if (SendMessageTimeoutA(window, message, 0, 0, SMTO_NORMAL, 60000, &answer) == 0) return -1;
  if (result != nullptr) *result = static_cast<LRESULT>(answer);
  return (now() - start) * 1000;
}

double peakMegabytes(HANDLE process) {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(process, &counters, sizeof counters)) return -1;
  return static_cast<double>(counters.PeakWorkingSetSize) / (1024.0 * 1024.0);
}

// The error box's text, once OK has been pressed on it.
std::string readAndCloseBox(HWND box) {
  std::string text;
  for (HWND child : descendants(box)) {
    if (className(child) == "Static" && SendMessageA(child, WM_GETTEXTLENGTH, 0, 0) > 0) text = windowText(child);
  }
  if (HWND ok = GetDlgItem(box, IDOK)) PostMessageA(ok, BM_CLICK, 0, 0);
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: paste_run PROGRAM lines|wide|long COUNT\n");
    return 2;
  }
  const std::string kind = argv[2];
  const int64_t count = std::atoll(argv[3]);
  const std::string input = inputFor(kind, count);
  const std::string expected(storeFreeTable(splitText(input.c_str(), "\r\n"), ",").view());

  Child program(argv[1]);
  HWND window = program.started() ? program.waitForWindow(kWindowClass, "Cellbrae") : nullptr;
  if (window == nullptr) {
    std::fprintf(stderr, "paste_run: the program did not show its window\n");
    return 1;
  }
  HWND inputBox = controlNamed(window, "编辑框1");
  HWND outputBox = controlNamed(window, "编辑框2");
  HWND button = controlNamed(window, "按钮1");
  HWND comma = controlNamed(window, "单选框3");
  if (!putOnClipboard(input)) return 1;
  const double pasteStart = now();
  SendMessageA(inputBox, WM_PASTE, 0, 0);
  const double pasteSeconds = now() - pasteStart;
  SendMessageA(comma, BM_CLICK, 0, 0);

  const double pressed = now();
  // Sent, not posted: the output box is emptied before the first look at it.
  SendMessageA(button, BM_CLICK, 0, 0);
  double longestAnswer = 0;
  double tableSeconds = -1;
  double peak = 0;
  std::string box;
  for (;;) {
    // Read while the program lives: an ended process has no memory to ask about.
    peak = std::max(peak, peakMegabytes(program.process()));
    LRESULT length = 0;
    const double answered = answerMilliseconds(outputBox, &length, WM_GETTEXTLENGTH);
    if (answered < 0 && WaitForSingleObject(program.process(), 0) == WAIT_OBJECT_0) break;
    if (answered > longestAnswer || answered < 0) longestAnswer = answered < 0 ? 60000 : answered;
    if (length > 0) {
      peak = std::max(peak, peakMegabytes(program.process()));
      tableSeconds = now() - pressed;
      break;
    }
    const std::vector<HWND> boxes = topLevelWindows(program.id(), "#32770", "错误");
    if (!boxes.empty()) {
      box = readAndCloseBox(boxes.front());
      break;
    }
    if (WaitForSingleObject(program.process(), 20) == WAIT_OBJECT_0) break;
  }
  std::string verdict;
  if (tableSeconds >= 0) {
    const std::string shown = windowText(outputBox);
    const auto differ = std::mismatch(shown.begin(), shown.end(), expected.begin(), expected.end());
    verdict = shown == expected ? "the exact table"
                                : "a table that differs from byte " + std::to_string(differ.first - shown.begin()) + " (" +
                                      std::to_string(shown.size()) + " bytes, " + std::to_string(expected.size()) +
                                      " expected)";
    PostMessageA(window, WM_CLOSE, 0, 0);
  } else if (!box.empty()) {
    verdict = "the error box: " + box;
  } else {
    verdict = "no table and no box";
  }
  const DWORD exitCode = program.exitCode();
  std::printf("%s %lld: %zu bytes; paste %.2f s; table %.2f s; peak %.0f MB; longest answer %.0f ms; exit %ld; %s\n",
              kind.c_str(), static_cast<long long>(count), input.size(), pasteSeconds, tableSeconds, peak,
              longestAnswer, static_cast<long>(exitCode), verdict.c_str());
  return 0;
}
