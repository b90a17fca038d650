#include "frame/menu_model.h"

#include "base/commands.h"
#include "search/search_engines.h"

namespace zel {

namespace {
MenuItem Item(const char16_t* text, int id, const char16_t* accel = u"", bool check = false) {
  MenuItem m;
  m.text = text;
  m.id = id;
  m.accel = accel;
  m.check = check;
  return m;
}
MenuItem Popup(const char16_t* text, std::vector<MenuItem> children) {
  MenuItem m;
  m.text = text;
  m.children = std::move(children);
  return m;
}
MenuItem Separator() { return MenuItem(); }
}  // namespace

// The zoom, text size and encoding submenus of "查看".
MenuItem ZoomMenu() {
  std::vector<MenuItem> m;
  const char16_t* texts[] = {u"50%", u"100%", u"120%", u"150%", u"180%", u"200%", u"300%"};
  for (int i = 0; i < 7; ++i)
    m.push_back(Item(texts[i], cmd::kZoom50 + i, i == 1 ? u"Ctrl+KP_Divide" : u"", true));
  m.push_back(Separator());
  m.push_back(Item(u"放大网页", cmd::kZoomIn, u"Ctrl+="));
  m.push_back(Item(u"缩小网页", cmd::kZoomOut, u"Ctrl+-"));
  return Popup(u"缩放(&Z)", std::move(m));
}

MenuItem TextSizeMenu() {
  std::vector<MenuItem> m;
  const char16_t* texts[] = {u"最大", u"大", u"中", u"小", u"最小"};
  for (int i = 0; i < 5; ++i) m.push_back(Item(texts[i], cmd::kTextSizeLargest + i, u"", true));
  m.push_back(Separator());
  m.push_back(Item(u"放大", cmd::kTextSizeUp, u"Ctrl+Up"));
  m.push_back(Item(u"缩小", cmd::kTextSizeDown, u"Ctrl+Down"));
  return Popup(u"文字大小(&X)", std::move(m));
}

MenuItem EncodingMenu() {
  auto item = [](const char16_t* text, int id) { return Item(text, id, u"", true); };
  std::vector<MenuItem> more = {
      item(u"中欧字符 (DOS)", 1055),       item(u"西里尔字符 (DOS)", 1056),
      item(u"西欧字符 (ISO)", 1058),       item(u"中欧字符 (ISO)", 1059),
      item(u"拉丁字符 (ISO)", 1060),       item(u"波罗的海字符 (ISO)", 1061),
      item(u"西里尔字符 (ISO)", 1062),     item(u"阿拉伯字符 (ISO)", 1063),
      item(u"希腊字符 (ISO)", 1064),       item(u"希伯来字符 (ISO)", 1065),
      item(u"西里尔字符 (KOI8-R)", 1066),  item(u"Unicode", 1067),
      item(u"Unicode (Big-Endian)", 1068), item(u"Unicode (UTF-7)", 1069),
      item(u"中欧字符 (Windows)", 1071),   item(u"西里尔字符 (Windows)", 1072),
      item(u"希腊字符 (Windows)", 1073),   item(u"土耳其字符", 1074),
      item(u"希伯来字符 (Windows)", 1075), item(u"阿拉伯字符 (Windows)", 1076),
      item(u"波罗的海字符 (Windows)", 1077), item(u"越南字符 (Windows)", 1078),
      item(u"泰文 (Windows)", 1079),       item(u"用户定义", 1080),
  };
  return Popup(u"编码(&D)",
               {
                   item(u"自动选择", cmd::kEncodingAuto),
                   Separator(),
                   item(u"西欧字符", 866),
                   item(u"Unicode (UTF-8)", 1070),
                   item(u"简体中文 (GB2312)", 867),
                   item(u"简体中文 (HZ)", 1081),
                   item(u"繁体中文 (Big5)", 868),
                   item(u"日文 (自动选择)", 992),
                   item(u"日文 (EUC)", 991),
                   item(u"日文 (Shift-JIS)", 869),
                   item(u"韩文 (自动选择)", 1044),
                   item(u"韩文 (EUC)", 1045),
                   item(u"韩文 (ISO)", 1046),
                   item(u"西欧字符", 1057),
                   Popup(u"其他(&M)", std::move(more)),
               });
}

std::vector<MenuItem> MainMenu() {
  return {
      Popup(u"文件(&F)",
            {
                Popup(u"新建(&N)",
                      {
                          Item(u"空白页", cmd::kNewBlankPage, u"F1"),
                          Item(u"当前页", cmd::kDuplicatePage, u"Ctrl+Shift+P"),
                          Item(u"主页", cmd::kHomeNewTab, u"Alt+Home"),
                          Item(u"从剪贴板", cmd::kOpenFromClipboard),
                          Item(u"从所选链接", cmd::kOpenSelectedLink),
                      }),
                Item(u"打开文件(&O)", 922, u"Ctrl+O"),
                Item(u"保存页面(&S)...", cmd::kSavePage, u"Ctrl+S"),
                Separator(),
                Item(u"页面设置(&U)...", cmd::kPageSetup),
                Item(u"打印(&P)...", cmd::kPrint, u"Ctrl+P"),
                Item(u"打印预览(&V)...", cmd::kPrintPreview),
                Item(u"属性(&R)...", cmd::kProperties),
                Separator(),
                Item(u"脱机工作(&W)", cmd::kOffline, u"Alt+O", true),
                Separator(),
                Item(u"关闭当前页面(&C)", cmd::kCloseTab, u"Ctrl+W"),
                Item(u"关闭全部页面", cmd::kCloseAll, u"Ctrl+Shift+W"),
                Item(u"恢复最近关闭的页面(&U)", cmd::kReopenClosedPage, u"Alt+Z"),
                Item(u"页面列表...", cmd::kPageListDialog, u"Ctrl+M"),
                Separator(),
                Item(u"退出(&X)", cmd::kExit, u"Ctrl+Q"),
            }),
      Popup(u"编辑(&E)",
            {
                Item(u"剪切(&T)", cmd::kCut, u"Ctrl+X"),
                Item(u"复制(&C)", cmd::kCopy, u"Ctrl+C"),
                Item(u"粘贴(&P)", cmd::kPaste, u"Ctrl+V"),
                Separator(),
                Item(u"全选(&A)", cmd::kSelectAll, u"Ctrl+A"),
                Separator(),
                Item(u"查找(&F)...", cmd::kFind, u"Ctrl+F"),
            }),
      Popup(u"查看(&V)",
            {
                Item(u"工具栏", cmd::kStandardBar, u"", true),
                Item(u"搜索栏", cmd::kSearchBarShown, u"", true),
                Item(u"标签栏", cmd::kTabBarShown, u"", true),
                Item(u"状态栏", cmd::kStatusBarShown, u"", true),
                Item(u"锁定工具栏", cmd::kLockBars, u"", true),
                Separator(),
                Item(u"切换全屏显示(&F)", cmd::kFullScreen, u"F11", true),
                Item(u"自动隐藏工具栏(&H)", cmd::kAutoHideBars, u"F12", true),
                Separator(),
                Item(u"后退", cmd::kBack, u"Alt+Left"),
                Item(u"前进", cmd::kForward, u"Alt+Right"),
                Item(u"停止(&P)", cmd::kStop, u"Esc"),
                Item(u"停止全部", cmd::kStopAll, u"Shift+Esc"),
                Item(u"刷新(&R)", cmd::kRefresh, u"F5"),
                Item(u"彻底刷新", cmd::kRefreshCompletely, u"Ctrl+F5"),
                Item(u"主页", cmd::kHome),
                Item(u"向上", cmd::kUp),
                Separator(),
                Popup(u"自动滚屏",
                      {
                          Item(u"自动滚屏", cmd::kAutoScroll, u"", true),
                          Separator(),
                          Item(u"慢速", cmd::kAutoScrollSpeed1, u"", true),
                          Item(u"中速", cmd::kAutoScrollSpeed1 + 1, u"", true),
                          Item(u"快速", cmd::kAutoScrollSpeed3, u"", true),
                          Item(u"页面下载完成后滚动", cmd::kAutoScrollWaitLoaded, u"", true),
                          Separator(),
                          Item(u"逐行滚动", cmd::kScrollMode0, u"", true),
                          Item(u"每次滚动 1/4 页", cmd::kScrollMode0 + 1, u"", true),
                          Item(u"每次滚动半页", cmd::kScrollMode0 + 2, u"", true),
                          Item(u"每次滚动一页", cmd::kScrollMode1, u"", true),
                      }),
                Item(u"自动刷新", cmd::kAutoRefresh, u"", true),
                Item(u"过滤状态栏文字", cmd::kStatusFilter, u"", true),
                Item(u"查看源文件(&C)", cmd::kViewSource, u"Ctrl+U"),
                Item(u"下载栏", cmd::kDownloadsBar, u"", true),
                Popup(u"侧栏(&B)",
                      {
                          Item(u"收藏夹(&F)", cmd::kFavoritesPane, u"", true),
                          Item(u"历史(&H)", cmd::kHistoryPane, u"", true),
                          Item(u"网页(&W)", cmd::kWebPagePane, u"", true),
                      }),
                Item(u"文本, 输出, 脚本 收集器", cmd::kCollectorPane, u"", true),
                Separator(),
                ZoomMenu(),
                TextSizeMenu(),
                EncodingMenu(),
                Separator(),
                Item(u"页内查找", kCmdFindInPage, u"F7"),
                Item(u"高亮关键字", kCmdHighlightInPage),
                Item(u"清除搜索记录", 1043),
                Item(u"查找和高亮的关键字不记入搜索栏列表", kCmdToggleSaveKeyword, u"", true),
            }),
      Popup(u"收藏(&A)",
            {
                Item(u"添加到收藏夹(&A)...", cmd::kAddToFavorites, u"Ctrl+D"),
                Item(u"整理收藏夹(&M)...", cmd::kOrganizeFavorites),
                Item(u"导入导出(&I)...", cmd::kImportExportFavorites),
            }),
      Popup(u"工具(&T)",
            {
                Popup(u"广告过滤(&A)",
                      {
                          Item(u"启用弹出窗口过滤器(&P)", cmd::kPopupFilter, u"Alt+P", true),
                          Item(u"启用页面内容过滤器(&C)", cmd::kContentFilter, u"", true),
                          Item(u"启用飘浮广告过滤器(&Y)", cmd::kFloatingAdFilter, u"Alt+Y", true),
                          Item(u"启用对话框过滤器(&D)", cmd::kDialogFilter, u"", true),
                          Separator(),
                          Item(u"启用过滤器", cmd::kAllFilters, u"", true),
                          Item(u"弹出窗口过滤列表(&L)...", cmd::kPopupLists),
                      }),
                Popup(u"下载控制(&L)",
                      {
                          Item(u"显示图片(&I)", cmd::kShowImages, u"", true),
                          Item(u"播放视频(&V)", cmd::kPlayVideos, u"", true),
                          Item(u"播放页面声音(&S)", cmd::kPlaySounds, u"", true),
                          Item(u"允许执行 Scripts(&R)", cmd::kAllowScripts, u"", true),
                          Item(u"允许执行 Java(&J)", cmd::kAllowJava, u"", true),
                          Item(u"允许执行 ActiveX(&X)", cmd::kAllowActiveX, u"", true),
                          Separator(),
                          Item(u"不使用Flash(&F)", cmd::kNoFlash, u"", true),
                          Item(u"禁止下载ActiveX(&X)", cmd::kNoActiveXDownload, u"", true),
                      }),
                Popup(u"代理(&P)",
                      {
                          Item(u"启用代理服务器", cmd::kProxyEnable, u"", true),
                          Item(u"启用 IE 代理设置", cmd::kSystemProxy, u"", true),
                          Item(u"启用 Web 代理", cmd::kWebProxy, u"", true),
                          Separator(),
                          Item(u"设置代理...", cmd::kProxyDialog),
                          Item(u"导入代理列表...", cmd::kImportProxies),
                          Item(u"导出代理列表...", cmd::kExportProxies),
                      }),
                Popup(u"表单(&F)",
                      {
                          Item(u"保存表单(&S)", cmd::kFormSave),
                          Item(u"保存为通用表单(&G)", cmd::kFormSaveGeneral),
                          Item(u"填写表单(&F)", cmd::kFormFill),
                          Separator(),
                          Item(u"设置表单数据(&M)...", cmd::kFormManager),
                          Item(u"删除表单数据(&D)", cmd::kClearFormData),
                      }),
                Separator(),
                Item(u"清理上网记录(&C)...", cmd::kClearTraces),
                Separator(),
                Item(u"鼠标手势", cmd::kGestures, u"", true),
                Item(u"鼠标拖动页面", cmd::kPageDrag, u"", true),
                Separator(),
                Item(u"在前台打开新页面", cmd::kActivateNewTabs, u"", true),
                Separator(),
                Item(u"Zel浏览器选项(&G)...", cmd::kOptions),
            }),
      // The skin menu: its entries and the languages follow when it opens.
      Popup(u"皮肤(&K)", {Item(u"显示窗口边框", cmd::kWindowBorder, u"", true)}),
      Popup(u"帮助(&H)", {Item(u"在线升级(&P)", cmd::kOnlineUpdate),
                          Item(u"访问主页(&V)", cmd::kVisitHomePage), Separator(),
                          Item(u"关于Zel浏览器(&A)...", cmd::kAbout)}),
  };
}

std::vector<KeyBinding> MainKeys() {
  std::vector<KeyBinding> keys = {
      {u"F1", cmd::kNewBlankPage},
      {u"Ctrl+Shift+P", cmd::kDuplicatePage},
      {u"Alt+Home", cmd::kHomeNewTab},
      {u"Ctrl+N", cmd::kNewPageByMode},
      {u"Ctrl+W", cmd::kCloseTab},
      {u"Ctrl+PgDn", cmd::kCloseTab},
      {u"Ctrl+Shift+W", cmd::kCloseAll},
      {u"Alt+Up", cmd::kPreviousTab},
      {u"Alt+Down", cmd::kNextTab},
      {u"Ctrl+S", cmd::kSavePage},
      {u"Alt+Left", cmd::kBack},
      {u"Alt+Right", cmd::kForward},
      {u"Esc", cmd::kStop},
      {u"Shift+Esc", cmd::kStopAll},
      {u"Ctrl+F5", cmd::kRefreshCompletely},
      {u"Alt+P", cmd::kPopupFilter},
      {u"Alt+O", cmd::kOffline},
      {u"Ctrl+O", cmd::kOpenFile},
      {u"Alt+Y", cmd::kFloatingAdFilter},
      {u"Ctrl+P", cmd::kPrint},
      {u"Ctrl+F", cmd::kFind},
      // Ctrl+X, C, V and A are left to the focused page or box, which edits its own text;
      // the menu items run them on the page.
      // The keys every browser has, where the frame has none of its own for them.
      {u"Ctrl+L", cmd::kFunctionKeyF8},
      {u"Alt+D", cmd::kFunctionKeyF8},
      {u"Ctrl+T", cmd::kNewBlankPage},
      {u"Ctrl+R", cmd::kRefresh},
      {u"Ctrl+Tab", cmd::kNextTab},
      {u"Ctrl+Shift+Tab", cmd::kPreviousTab},
      {u"Ctrl+Shift+T", cmd::kReopenClosedPage},
      {u"Ctrl+U", cmd::kViewSource},
      {u"Ctrl+Q", cmd::kExit},
      // Closed pages and the page list.
      {u"Alt+Z", cmd::kReopenClosedPageKey},
      {u"Ctrl+M", cmd::kPageListDialog},
      {u"Ctrl+D", cmd::kAddToFavorites},
      // Zoom and text size.
      {u"Ctrl+KP_Divide", cmd::kZoom100},
      {u"Ctrl+=", cmd::kZoomIn},
      {u"Ctrl+Shift+=", cmd::kZoomIn},  // "Ctrl +" as most keyboards type it
      {u"Ctrl+KP_Add", cmd::kZoomIn},
      {u"Ctrl+-", cmd::kZoomOut},
      {u"Ctrl+KP_Subtract", cmd::kZoomOut},
      {u"Ctrl+Up", cmd::kTextSizeUp},
      {u"Ctrl+Down", cmd::kTextSizeDown},
  };
  for (int i = 0; i < 10; ++i)
    keys.push_back({u"Ctrl+" + IntToText((i + 1) % 10), cmd::kSelectTab0 + i});
  for (int f = 2; f <= 12; ++f) keys.push_back({u"F" + IntToText(f), cmd::kFunctionKeyF2 + f - 2});
  return keys;
}

std::vector<MenuItem> ImageMenu() {
  return {
      Item(u"显示图片(&H)", cmd::kShowPicture),
      Item(u"打开地址(&O)", cmd::kOpenContext),
      Separator(),
      Item(u"显示地址(&S)", cmd::kShowContextAddress),
      Item(u"编辑地址(&E)...", cmd::kEditContextAddress),
      Item(u"复制地址(&C)", cmd::kCopyContextAddress),
      Separator(),
      Item(u"添加到过滤器(&F)...", cmd::kAddToContentFilter),
  };
}

// The four ways to open the context, first in the link and text menus.
std::vector<MenuItem> WithOpenItems(std::vector<MenuItem> rest) {
  std::vector<MenuItem> m = {
      Item(u"打开", cmd::kOpenContext),
      Item(u"在前台打开", cmd::kOpenContextFront),
      Item(u"在后台打开", cmd::kOpenContextBack),
      Item(u"打开(反面)", cmd::kOpenContextReverse),
  };
  m.insert(m.end(), std::make_move_iterator(rest.begin()), std::make_move_iterator(rest.end()));
  return m;
}

std::vector<MenuItem> LinkMenu() {
  return WithOpenItems({
      Separator(),
      Item(u"在 IE 中打开(&I)", cmd::kOpenInOtherBrowser),
      Item(u"打开跳转的地址(&J)", cmd::kOpenRedirectTarget),
      Item(u"打开Ftp地址(&F)", cmd::kOpenFtpAddress),
      Separator(),
      Item(u"显示地址(&S)", cmd::kShowContextAddress),
      Item(u"编辑地址(&U)...", cmd::kEditContextAddress),
      Item(u"复制地址", cmd::kCopyContextAddress),
      Item(u"编辑文本(&E)...", cmd::kEditContextText),
      Item(u"复制文本(&C)", cmd::kCopyContextText),
      Separator(),
      Item(u"添加到收藏夹...", cmd::kAddLinkToFavorites),
      Item(u"添加到过滤器(&F)...", cmd::kAddToContentFilter),
      Item(u"添加到收集器", cmd::kCollectLinkContext),
  });
}

std::vector<MenuItem> TextMenu(const std::vector<u16>& engineTitles) {
  std::vector<MenuItem> engines;
  for (size_t i = 0; i < engineTitles.size() && i < 511; ++i)
    engines.push_back(Item(engineTitles[i].c_str(), cmd::kContextEngineFirst + int(i)));
  std::vector<MenuItem> m = WithOpenItems({
      Item(u"打开所选链接(&L)", cmd::kOpenSelectedLinkText),
      Separator(),
      Item(u"搜索", cmd::kSearchContext),
      Item(u"高亮(&H)", cmd::kHighlightContext),
      Item(u"页内查找", cmd::kFindContext),
  });
  if (!engines.empty()) m.push_back(Popup(u"所有搜索引擎(&S)", std::move(engines)));
  m.push_back(Separator());
  m.push_back(Item(u"编辑文本(&E)...", cmd::kEditContextText));
  m.push_back(Item(u"复制文本(&C)", cmd::kCopyContextText));
  m.push_back(Item(u"保存文本(&T)...", cmd::kSaveContextText));
  m.push_back(Separator());
  m.push_back(Item(u"添加到过滤器(&F)...", cmd::kAddToContentFilter));
  m.push_back(Item(u"添加到收集器", cmd::kCollectTextContext));
  return m;
}

std::vector<MenuItem> TabMenu(bool locked, bool hasPassword) {
  std::vector<MenuItem> m;
  if (!hasPassword) m.push_back(Item(locked ? u"解除锁定(&L)" : u"锁定(&L)", kTabMenuLock));
  m.push_back(hasPassword ? Item(u"清除密码(&E)...", kTabMenuClearPassword)
                          : Item(u"设置密码(&P)...", kTabMenuSetPassword));
  m.push_back(Separator());
  m.push_back(Item(u"关闭(&C)", kTabMenuClose));
  return m;
}

}  // namespace zel
