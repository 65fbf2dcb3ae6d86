// Builds the fatal-error text and hands it to whoever shows it. The layout is fixed:
// a header line, the code line, the message line and the locator line.
#include "runtime/runtime_error.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <utility>

namespace {

[[noreturn]] void writeToStderrAndExit(const std::string& text, int exitCode) {
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fflush(stderr);
  std::_Exit(exitCode);
}

std::atomic<FatalErrorHandler> installedHandler{nullptr};

constexpr const char* kMessages[] = {
    "",
    "数组成员引用下标超出定义范围",
    "未得到所需要的数值型数据",
    "引用数组成员时维数不为1且不等于该数组目前所具有的维数",
    "数组成员引用下标必须大于等于1",
    "数据或数组类型不匹配",
    "调用DLL命令后发现堆栈错误",
    "子语句参数未返回数据或者返回了非系统基本类型或数组型数据",
    "被比较数据只能使用等于或不等于命令比较",
    "“多项选择”命令的索引值参数小于零或超出了所提供参数表范围",
    "“重定义数组”命令的数组维定义参数值必须大于零或单维时大于等于零",
    "所提供参数的数据类型不符合要求",
};

// Set while this thread shows its error: an error raised by the showing itself (no memory
// left for the box) ends the program at once instead of showing boxes without end.
thread_local bool reporting = false;

[[noreturn]] void showAndEnd(RuntimeError code, const char* message, ErrorSite site) {
  if (std::exchange(reporting, true)) {
    const char* said = message != nullptr ? message : runtimeErrorMessage(code);
    std::fputs(said, stderr);
    std::fflush(stderr);
    std::_Exit(-1);
  }
  const std::string text = runtimeErrorText(code, message, site);
  FatalErrorHandler handler = installedHandler.load();
  if (handler != nullptr) handler(text, -1);
  // A handler that returns has not ended the program; end it here with the same code.
  writeToStderrAndExit(text, -1);
}

}  // namespace

int32_t ErrorSite::routineId() const {
  if (function_ == nullptr) return routineId_;
  // FNV-1a of the function name keeps the number stable between builds of the same code.
  uint32_t hash = 2166136261u;
  for (std::string_view name = function_; char c : name) {
    hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
  }
  return static_cast<int32_t>(hash % 100000u);
}

const char* runtimeErrorMessage(RuntimeError code) {
  const auto index = static_cast<int32_t>(code);
  if (index < 0 || index >= static_cast<int32_t>(std::size(kMessages))) return "";
  return kMessages[index];
}

std::string runtimeErrorText(RuntimeError code, const char* message, ErrorSite site) {
  std::string text = "运行时出错!\r\n";
  if (code != RuntimeError::None) {
    text += "\r\n错误代码：" + std::to_string(static_cast<int32_t>(code)) + "\r\n";
    message = runtimeErrorMessage(code);
  }
  if (message != nullptr && *message != '\0') {
    text += "\r\n错误信息：";
    text += message;
    text += "\r\n";
  }
  text += "\r\n" + std::to_string(site.routineId()) + ", " + std::to_string(site.position());
  text += "\r\n";
  return text;
}

void reportRuntimeError(RuntimeError code, ErrorSite site) { showAndEnd(code, nullptr, site); }

void reportFatalMessage(const char* message, ErrorSite site) {
  showAndEnd(RuntimeError::None, message, site);
}

FatalErrorHandler setFatalErrorHandler(FatalErrorHandler handler) {
  return installedHandler.exchange(handler);
}
