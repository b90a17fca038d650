#include "gestures/gesture_table.h"

#include <array>

#include "base/commands.h"
#include "settings/config_schema.h"
#include "settings/settings_file.h"
#include "xml/xml_document.h"

namespace zel {

namespace {

// Action names for the help text, in the order of the action numbers.
constexpr std::array<const char16_t*, 31> kActionNames = {
    u"后退",          // 0
    u"前进",          // 1
    u"刷新",          // 2
    u"无动作",        // 3
    u"停止",          // 4
    u"无动作",        // 5
    u"恢复关闭的页面",  // 6
    u"主页",          // 7
    u"向上一级",      // 8
    u"向上滚屏",      // 9
    u"向下滚屏",      // 10
    u"滚到顶部",      // 11
    u"滚到底部",      // 12
    u"上一个窗口",    // 13
    u"下一个窗口",    // 14
    u"缩放100%",      // 15
    u"放大网页",      // 16
    u"缩小网页",      // 17
    u"打开文件",      // 18
    u"保存页面",      // 19
    u"关闭",          // 20
    u"关闭全部页面",  // 21
    u"历史",          // 22
    u"收集器",        // 23
    u"添加到收藏夹",  // 24
    u"全屏显示",      // 25
    u"打印",          // 26
    u"打印预览",      // 27
    u"最小化",        // 28
    u"还原",          // 29
    u"退出",          // 30
};

// The frame command behind each built-in action; 0 where the action is not a command.
constexpr std::array<int, 31> kActionCommands = {
    cmd::kBack,               // 0 back
    cmd::kForward,            // 1 forward
    cmd::kRefresh,            // 2 refresh
    0,                        // 3 none
    cmd::kStop,               // 4 stop
    0,                        // 5 none
    cmd::kReopenClosedPage,   // 6 reopen the last closed page
    cmd::kHomeNewTab,         // 7 home page
    cmd::kUp,                 // 8 up one level
    0,                        // 9 Page Up
    0,                        // 10 Page Down
    0,                        // 11 Home
    0,                        // 12 End
    cmd::kPreviousTab,        // 13 previous tab
    cmd::kNextTab,            // 14 next tab
    cmd::kZoom100,            // 15 zoom 100%
    cmd::kZoomIn,             // 16 zoom in
    cmd::kZoomOut,            // 17 zoom out
    cmd::kOpenFile,           // 18 open file
    cmd::kSavePage,           // 19 save page
    cmd::kCloseTab,           // 20 close tab
    cmd::kCloseAll,           // 21 close all tabs
    cmd::kHistoryPane,        // 22 history pane
    cmd::kCollectorPane,      // 23 collector pane
    cmd::kAddToFavorites,     // 24 add to favorites
    cmd::kFullScreen,         // 25 full screen
    cmd::kPrint,              // 26 print
    cmd::kPrintPreview,       // 27 print preview
    0,                        // 28 minimize (system command)
    0,                        // 29 restore (system command)
    cmd::kExit,               // 30 exit
};

}  // namespace

std::vector<GestureEntry> ParseGestureTable(u16view stored) {
  XmlDocument doc;
  // The entries are top-level siblings, so SetText reports the document as not well formed;
  // every element it recognised is still walked.
  doc.SetText(stored.empty() ? u16view(kDefaultGestureList) : stored);
  std::vector<GestureEntry> table;
  while (doc.FindNextElement(u"gesture"))
    table.push_back({doc.GetAttribute(u"action"), ToInt(doc.GetAttribute(u"cmd"))});
  return table;
}

void GestureTable::LoadGestureTable() {
  LoadFromText(SettingsFile(kConfigFile, u"MOUSESET").ReadText(u"gesture", u"", 260));
}

int GestureTable::LookupGesture(u16view directions) const {
  for (const GestureEntry& e : entries_)
    if (e.action == directions) return e.cmd;
  return -1;
}

u16 GestureTable::GestureTitle(u16view directions) const {
  for (const GestureEntry& e : entries_)
    if (e.action == directions) return ActionName(e.cmd);
  return u16();
}

u16 ActionName(int number) {
  if (number < 0 || number >= static_cast<int>(kActionNames.size())) return u16();
  return kActionNames[number];
}

ActionTarget ResolveAction(int number) {
  switch (number) {
    case 3:
    case 5:
      return {ActionKind::kNothing, 0};
    case 9:
      return {ActionKind::kKey, kKeyPageUp};
    case 10:
      return {ActionKind::kKey, kKeyPageDown};
    case 11:
      return {ActionKind::kKey, kKeyHome};
    case 12:
      return {ActionKind::kKey, kKeyEnd};
    case 28:
      return {ActionKind::kSystemCommand, kSysCommandMinimize};
    case 29:
      return {ActionKind::kSystemCommand, kSysCommandRestore};
    case 1175:
    case cmd::kMiddleClickAction:
      return {ActionKind::kOpenLink, 1};
    case 1176:
      return {ActionKind::kOpenLink, 2};
    case 1177:
      return {ActionKind::kOpenLink, 4};
    default:
      break;
  }
  if (number >= 0 && number < static_cast<int>(kActionCommands.size()))
    return {ActionKind::kFrameCommand, kActionCommands[number]};
  return {ActionKind::kPostCommand, number};
}

}  // namespace zel
