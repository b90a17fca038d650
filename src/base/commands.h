// Command ids and private window messages. Menus, toolbars, accelerators, gestures and
// drags all end in CMainFrame::OnCommand with one of these ids.
#pragma once

namespace zel::cmd {

// Tabs
inline constexpr int kNewBlankPage = 802;      // F1
inline constexpr int kDuplicatePage = 803;     // Ctrl+Shift+P
inline constexpr int kCloseAll = 805;          // Ctrl+Shift+W
inline constexpr int kCloseTab = 806;          // F4, Ctrl+W, Ctrl+PgDn
inline constexpr int kHome = 819;
inline constexpr int kHomeNewTab = 882;        // Alt+Home
inline constexpr int kActivateNewTabs = 884;
inline constexpr int kPreviousTab = 944;       // Alt+Up, F2
inline constexpr int kNextTab = 945;           // Alt+Down, F3
inline constexpr int kSelectTab0 = 949;        // Ctrl+1 ... Ctrl+9, Ctrl+0 (949..958)
inline constexpr int kSelectTab9 = 958;
inline constexpr int kNewPageByMode = 988;     // Ctrl+N
inline constexpr int kSiteRoot = 1091;
inline constexpr int kReopenClosedPage = 985;  // Ctrl+Shift+T
// Closed pages and the page list
inline constexpr int kReopenClosedPageKey = 1563;  // Alt+Z
inline constexpr int kClosedPageFirst = 25088;     // 25088 + slot: an item of the closed-pages menu
inline constexpr int kClosedPageLast = 25112;
inline constexpr int kPageListDialog = 1085;        // Ctrl+M, the page-list dialog on its first tab
inline constexpr int kPageListDialogLastTab = 1108; // the page-list dialog on its last tab
// Inside the page-list dialog
inline constexpr int kPageListCheckAll = 519;
inline constexpr int kPageListUncheckAll = 520;
inline constexpr int kPageListOffline = 521;
inline constexpr int kPageListEditAddress = 561;
inline constexpr int kPageListEditTitle = 566;
inline constexpr int kPageListRemove = 580;
inline constexpr int kPageListRemoveChecked = 569;
inline constexpr int kPageListOpen = 581;
inline constexpr int kPageListOpenChecked = 563;
// Function keys F2..F12
inline constexpr int kFunctionKeyF2 = 933;
inline constexpr int kFunctionKeyF6 = 937;   // find backwards
inline constexpr int kFunctionKeyF7 = 938;   // find
inline constexpr int kFunctionKeyF8 = 939;   // the address box
inline constexpr int kFunctionKeyF9 = 940;   // the address box with its list open
inline constexpr int kFunctionKeyF10 = 941;  // the keyword box
inline constexpr int kFunctionKeyF11 = 942;  // full screen
inline constexpr int kFunctionKeyF12 = 943;  // auto-hidden bars
// The window: bars, full screen, tray
inline constexpr int kStandardBar = 59392;
inline constexpr int kSearchBarShown = 968;
inline constexpr int kTabBarShown = 811;
inline constexpr int kStatusBarShown = 59393;
inline constexpr int kLockBars = 1031;
inline constexpr int kAutoHideBars = 1082;     // F12
inline constexpr int kRestoreTabWindow = 910;
inline constexpr int kMinimizeTabWindow = 911;
inline constexpr int kShowFrame = 973;
// Page
inline constexpr int kSavePage = 807;          // Ctrl+S
inline constexpr int kSavePageNoPrompt = 828;
inline constexpr int kRefresh = 809;           // F5
inline constexpr int kStop = 808;              // Esc
inline constexpr int kStopAll = 909;           // Shift+Esc
inline constexpr int kAbout = 57664;           // 帮助 → 关于Zel浏览器
inline constexpr int kRefreshCompletely = 1127;  // Ctrl+F5
inline constexpr int kOpenFile = 922;          // the "Open" dialog, Ctrl+O
inline constexpr int kAddToFavorites = 833;
inline constexpr int kPrint = 57607;
inline constexpr int kPrintPreview = 962;
// The page commands on the active tab: page setup, properties, editing, the engine's find
// bar and the page's source.
inline constexpr int kPageSetup = 57606;
inline constexpr int kProperties = 1012;
inline constexpr int kCut = 57635;             // Ctrl+X
inline constexpr int kCopy = 57634;            // Ctrl+C
inline constexpr int kPaste = 57637;           // Ctrl+V
inline constexpr int kSelectAll = 57642;       // Ctrl+A
inline constexpr int kFind = 57636;            // Ctrl+F
inline constexpr int kViewSource = 824;
// Downloads: the downloads bar shown or hidden.
inline constexpr int kDownloadsBar = 30001;
// Navigation
inline constexpr int kBack = 817;
inline constexpr int kForward = 818;
// View
inline constexpr int kStatusFilter = 946;
inline constexpr int kAutoScrollWaitLoaded = 980;
inline constexpr int kAutoScrollSpeed1 = 981;  // 981..983
inline constexpr int kAutoScrollSpeed3 = 983;
inline constexpr int kAutoScroll = 984;
inline constexpr int kAutoRefresh = 994;
inline constexpr int kScrollMode0 = 1038;      // 1038..1041: modes 0, 4, 2, 1
inline constexpr int kScrollMode1 = 1041;
inline constexpr int kZoom100 = 1117;
inline constexpr int kZoomIn = 1125;
inline constexpr int kZoomOut = 1126;
inline constexpr int kFullScreen = 875;
inline constexpr int kHistoryPane = 1528;
inline constexpr int kCollectorPane = 1006;
// Side panes and favorites
inline constexpr int kFavoritesPane = 963;
inline constexpr int kWebPagePane = 1529;
inline constexpr int kOrganizeFavorites = 834;
inline constexpr int kImportExportFavorites = 835;
inline constexpr int kFavoriteMenuFirst = 41000;  // the favorites menu's items, 41000..43000
inline constexpr int kFavoriteMenuLast = 43000;
// Filters
inline constexpr int kPopupFilter = 850;        // Alt+P
inline constexpr int kContentFilter = 1028;
inline constexpr int kFloatingAdFilter = 1190;  // Alt+Y
inline constexpr int kDialogFilter = 1192;
inline constexpr int kAllFilters = 1393;
inline constexpr int kAddToContentFilter = 1129;
inline constexpr int kAllowSite = 1424;
// 工具 → 广告过滤 → 弹出窗口过滤列表: the allowed sites seen, added and removed.
inline constexpr int kPopupLists = 30120;
inline constexpr int kAnimations = 1111;
inline constexpr int kNoFlash = 1112;
inline constexpr int kNoActiveXDownload = 1191;
// Page elements of the active tab (download-control bits)
inline constexpr int kShowImages = 838;         // 0x10
inline constexpr int kPlayVideos = 839;         // 0x20
inline constexpr int kPlaySounds = 840;         // 0x40
inline constexpr int kAllowScripts = 842;       // 0x80, checked when clear
inline constexpr int kAllowJava = 862;          // 0x100, checked when clear
inline constexpr int kAllowActiveX = 863;       // 0x200, checked when clear
// Clearing traces
inline constexpr int kClearTemporaryFiles = 856;
inline constexpr int kClearCookies = 854;
inline constexpr int kClearFormData = 1016;
inline constexpr int kClearHistory = 855;
inline constexpr int kClearKeywordHistory = 1043;
inline constexpr int kClearClosedPages = 1109;
inline constexpr int kClearTraces = 857;  // the "全部清除" dialog
// Address box
inline constexpr int kClearTypedAddresses = 1008;
inline constexpr int kUp = 1233;
inline constexpr int kOffline = 810;           // Alt+O
inline constexpr int kSearch = 1242;
inline constexpr int kSearchSelection = 1037;
inline constexpr int kHighlightSelection = 1171;
inline constexpr int kFindSelection = 1172;
inline constexpr int kPageList = 1015;
// Menu context (image, link and text menus, drags)
inline constexpr int kOpenContext = 1144;
inline constexpr int kOpenContextFront = 1145;
inline constexpr int kOpenContextBack = 1157;
inline constexpr int kOpenContextReverse = 1179;
inline constexpr int kOpenInOtherBrowser = 1146;
inline constexpr int kOpenRedirectTarget = 1133;
inline constexpr int kOpenFtpAddress = 1180;
inline constexpr int kShowContextAddress = 1128;
inline constexpr int kEditContextAddress = 1142;
inline constexpr int kEditContextText = 1141;
inline constexpr int kCopyContextAddress = 1143;
inline constexpr int kCopyContextText = 1147;
inline constexpr int kShowPicture = 1187;
inline constexpr int kAddLinkToFavorites = 1151;
inline constexpr int kCollectLink = 1195;
inline constexpr int kOpenFromClipboard = 903;
inline constexpr int kSaveContextText = 1140;
inline constexpr int kOpenSelectedLink = 1089;
inline constexpr int kOpenSelectedLinkText = 1150;
inline constexpr int kSearchContext = 1134;
inline constexpr int kHighlightContext = 1148;
inline constexpr int kFindContext = 1149;
// The text menu's engine list: 31232 + N searches the context text with engine N.
inline constexpr int kContextEngineFirst = 31232;
inline constexpr int kContextEngineEnd = 31232 + 511;
// Mouse
inline constexpr int kPageDrag = 1234;
inline constexpr int kGestures = 1235;
// File
inline constexpr int kExit = 57665;
// Proxy
inline constexpr int kProxyEnable = 858;
inline constexpr int kSystemProxy = 1042;
inline constexpr int kProxyDialog = 859;
inline constexpr int kWebProxy = 860;
inline constexpr int kImportProxies = 1155;
inline constexpr int kExportProxies = 1156;
// The form filler.
inline constexpr int kFormSave = 1003;
inline constexpr int kFormSaveGeneral = 1004;
inline constexpr int kFormFill = 1005;
inline constexpr int kFormManager = 1093;  // 1016 deletes the form data (kClearFormData)
// Zoom (the page's CSS zoom by script), text size (the engine's text zoom) and encoding.
inline constexpr int kZoom50 = 1116;             // 1116..1122: 50, 100, 120, 150, 180, 200, 300 %
inline constexpr int kZoom300 = 1122;
inline constexpr int kTextSizeLargest = 812;     // 812..816: largest .. smallest
inline constexpr int kTextSizeSmallest = 816;
inline constexpr int kTextSizeUp = 1100;         // Ctrl+Up
inline constexpr int kTextSizeDown = 1101;       // Ctrl+Down
inline constexpr int kEncodingFirst = 866;       // 866..1081: the encoding items
inline constexpr int kEncodingLast = 1081;
inline constexpr int kEncodingAuto = 1011;
// The collector pane and its toolbar.
inline constexpr int kCollectorText = 1298;
inline constexpr int kCollectorOutput = 1299;
inline constexpr int kCollectorScript = 1300;
inline constexpr int kCollectorSave = 1246;
inline constexpr int kCollectorClear = 1237;
inline constexpr int kCollectorTransparent = 1240;
inline constexpr int kCollectorRunScript = 1243;
inline constexpr int kCollectorOpenSelection = 1247;
inline constexpr int kCollectorOpenLine = 1236;
inline constexpr int kCollectTextContext = 1152;  // the text menu's "添加到收集器"
inline constexpr int kCollectLinkContext = 1153;  // the link menu's "添加到收集器"
// The status bar's indicator pane.
inline constexpr int kIndicatorPane = 1232;
// The options dialog, the platform's network settings, and the registration as the default
// browser that the dialog's "设置Zel浏览器为默认" runs (registered by its owner).
inline constexpr int kOptions = 837;
inline constexpr int kInternetOptions = 826;
inline constexpr int kMakeDefaultBrowser = 651;
// Help: the update check and the product's home page.
inline constexpr int kOnlineUpdate = 901;
inline constexpr int kVisitHomePage = 905;

// Skins: the skin menu, its entries (one per skin folder), the window border and the
// custom frame's window buttons; the language menu.
inline constexpr int kSkinMenu = 703;
inline constexpr int kSkinFirst = 3841;         // 3841..4095: the skins in folder order
inline constexpr int kSkinLast = 4095;
inline constexpr int kWindowBorder = 1199;      // "显示窗口边框"
inline constexpr int kWindowMinimize = 61472;
inline constexpr int kWindowMaximize = 61488;
inline constexpr int kWindowClose = 61536;
inline constexpr int kWindowRestore = 61728;
inline constexpr int kLanguageBuiltIn = 2101;
inline constexpr int kLanguageFirst = 2102;     // 2102..2200: the language files in order
inline constexpr int kLanguageLast = 2200;
// The tab bar's items: the side panes shown or closed together, and the list of the tabs.
inline constexpr int kTabSidebar = 1215;
inline constexpr int kTabList = 712;

// Commands that have a skin icon but no action of their own here.
inline constexpr int kGo = 1;
inline constexpr int kCaptionIcon = 700;
inline constexpr int kAdHunter = 330;
inline constexpr int kForceTabInBack = 331;
inline constexpr int kZoomButton = 332;
inline constexpr int kHistoryMenu = 1561;
inline constexpr int kSideClose = 1572;

// The first-run middle-button action: the link under the pointer opens in a new tab, as a
// link the page opens would; anywhere else the click goes to the page.
inline constexpr int kMiddleClickAction = 33225;

}  // namespace zel::cmd

namespace zel::msg {

inline constexpr int kCommand = 273;  // wparam: a command id to run
inline constexpr int kViewStart = 1104;
inline constexpr int kHandOff = 5120;
inline constexpr int kRefreshToolbars = 5122;
inline constexpr int kRefreshTabTexts = 5123;
inline constexpr int kActivateChild = 5125;
inline constexpr int kDeferredStartup = 5126;
inline constexpr int kApplyTabSelection = 5127;
// The frame's timer: every 750 ms (status indicators, the periodic saves).
inline constexpr int kFrameTimer = 1530;
inline constexpr int kFrameTimerMs = 750;
inline constexpr int kFrameTimerSaveTick = 40;
// The update client's timer.
inline constexpr int kUpdateTimer = 3;

}  // namespace zel::msg
