// The description of MainWindow. Record order is stacking order: within each parent the
// first record is in front, so the group box lies over the bottom rows of the input box.
// The window opens ready for typing: the focus is in the input box, and Ctrl+Enter there
// makes the table without a trip to the button.
#include "ui/main_window.h"

const char* const kUsageText =
    "Cellbrae\r\n"
    "\r\n"
    "序号 字段名 注释\r\n"
    "1 file 文件\r\n"
    "2 path 路径\r\n"
    "\r\n"
    "结果示例：\r\n"
    "+-------+---------+-------+\r\n"
    "| 序号  | 字段名  | 注释  |\r\n"
    "+-------+---------+-------+\r\n"
    "| 1     | file    | 文件  |\r\n"
    "| 2     | path    | 路径  |\r\n"
    "+-------+---------+-------+\r\n";

namespace {

// A small table: black grid, grey header row and column, white cells; the top row and
// the two bottom rows stay transparent.
constexpr const char* kIconRows[] = {
    "................",
    "################",
    "#gggg#gggg#gggg#",
    "#gggg#gggg#gggg#",
    "#gggg#gggg#gggg#",
    "################",
    "#gggg#wwww#wwww#",
    "#gggg#wwww#wwww#",
    "#gggg#wwww#wwww#",
    "################",
    "#gggg#wwww#wwww#",
    "#gggg#wwww#wwww#",
    "#gggg#wwww#wwww#",
    "################",
    "................",
    "................",
};
constexpr IconPicture kIcon{16, 16, kIconRows};

constexpr uint32_t kGroupChildren[] = {unitId::kRadioBox1, unitId::kRadioBox2, unitId::kRadioBox3};
constexpr EventBinding kButtonEvents[] = {{kButtonClickEvent, kStartButtonClickHandler}};

constexpr FontRecord kDefaultGuiFont{};
constexpr FontRecord kButtonFont{"宋体", -19, 700};
constexpr FontRecord kOutputFont{"宋体", -14, 400};

constexpr uint32_t kControlFlags = unitFlags::kVisible | unitFlags::kTabStop;

constexpr UnitRecord radioBox(uint32_t id, const char* name, int32_t left, const char* caption, bool checked) {
  return {.unitId = id, .type = UnitType::RadioBox, .name = name, .left = left, .top = 13,
          .width = 80, .height = 24, .parent = unitId::kGroupBox1, .flags = kControlFlags,
          .settings = {.text = caption, .font = kDefaultGuiFont, .checked = checked}};
}

const UnitRecord kUnits[] = {
    {.unitId = unitId::kMainWindow, .type = UnitType::Window, .left = 50, .top = 50, .width = 940,
     .height = 720, .flags = unitFlags::kVisible, .settings = {.text = "Cellbrae", .icon = &kIcon}},
    {.unitId = unitId::kGroupBox1, .type = UnitType::GroupBox, .name = "分组框1", .left = 0,
     .top = 303, .width = 288, .height = 40, .children = kGroupChildren, .flags = unitFlags::kVisible,
     .settings = {.text = "", .font = kDefaultGuiFont}},
    radioBox(unitId::kRadioBox3, "单选框3", 186, "英文逗号", false),
    radioBox(unitId::kRadioBox2, "单选框2", 96, "空格", false),
    radioBox(unitId::kRadioBox1, "单选框1", 8, "tab", true),
    {.unitId = unitId::kButton1, .type = UnitType::Button, .name = "按钮1", .left = 288, .top = 310,
     .width = 653, .height = 30, .flags = kControlFlags, .events = kButtonEvents,
     .settings = {.text = "字符表格", .font = kButtonFont}},
    {.unitId = unitId::kEditBox2, .type = UnitType::EditBox, .name = "编辑框2", .left = 0, .top = 340,
     .width = 930, .height = 350, .flags = kControlFlags,
     .settings = {.text = kUsageText, .font = kOutputFont}},
    {.unitId = unitId::kEditBox1, .type = UnitType::EditBox, .name = "编辑框1", .left = 0, .top = 0,
     .width = 930, .height = 310, .flags = kControlFlags,
     .settings = {.text = "", .font = kDefaultGuiFont, .ctrlEnterClicks = unitId::kButton1}},
};

}  // namespace

const FormDescription MainWindow{unitId::kMainWindow, kUnits, unitId::kEditBox1};
