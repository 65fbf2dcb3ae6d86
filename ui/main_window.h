// MainWindow, the program's one window: its unit ids, the two control properties the
// program uses, and the description it is created from.
#pragma once

#include <cstdint>

#include "ui/form_description.h"

// The ids by which the program addresses the window and its controls.
namespace unitId {
inline constexpr uint32_t kMainWindow = 0x52010001;
inline constexpr uint32_t kEditBox1 = 0x16010002;    // "编辑框1", the input
inline constexpr uint32_t kEditBox2 = 0x16010003;    // "编辑框2", the output and usage text
inline constexpr uint32_t kButton1 = 0x16010004;     // "按钮1", starts a run
inline constexpr uint32_t kGroupBox1 = 0x16012e60;   // "分组框1", frames the radio boxes
inline constexpr uint32_t kRadioBox1 = 0x16012e61;   // "单选框1", "tab"
inline constexpr uint32_t kRadioBox2 = 0x16012e62;   // "单选框2", "空格"
inline constexpr uint32_t kRadioBox3 = 0x16012e63;   // "单选框3", "英文逗号"
}  // namespace unitId

// The name under which the click of "按钮1" is bound when the description is loaded.
inline constexpr const char* kStartButtonClickHandler = "onStartButtonClick";

// The text "编辑框2" shows until the first run: 13 lines, each ended by "\r\n" (GBK).
extern const char* const kUsageText;

extern const FormDescription MainWindow;
