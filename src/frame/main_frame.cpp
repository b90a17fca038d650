#include "frame/main_frame.h"

#include <glib.h>
#include <unistd.h>

#include <algorithm>

#include "base/commands.h"
#include "base/files.h"
#include "filters/filters_controller.h"
#include "formfill/formfill_controller.h"
#include "frame/address_box.h"
#include "frame/frame_window.h"
#include "frame/page_commands.h"
#include "frame/page_menus.h"
#include "frame/tab_commands.h"
#include "frame/help_commands.h"
#include "frame/tab_locks.h"
#include "icons/site_icons.h"
#include "defbrowser/default_browser_controller.h"
#include "downloads/download_rules.h"
#include "downloads/downloads_controller.h"
#include "favorites/favorites_controller.h"
#include "history/history_controller.h"
#include "panes/side_panes_controller.h"
#include "panes/web_pane_controller.h"
#include "page/find_bar_controller.h"
#include "page/zoom_controller.h"
#include "collector/collector_controller.h"
#include "search/search_controller.h"
#include "session/session_controller.h"
#include "options/options_controller.h"
#include "skin/skin_controller.h"
#include "privacy/privacy_controller.h"
#include "proxy/proxy_controller.h"
#include "status/status_controller.h"
#include "update/update_controller.h"
#include "window/window_controller.h"
#include "settings/config_schema.h"
#include "settings/settings_file.h"
#include "settings/url_shortcut.h"
#include "view/child_frame.h"
#include "platform/clipboard_port.h"
#include "platform/message_loop.h"
#include "platform/prompt_port.h"
#include "platform/registry_port.h"
#include "platform/shell_port.h"
#include "view/vop_view.h"

namespace zel {

namespace {
constexpr char16_t kBlankCaption[] = u"空白页";
constexpr char16_t kBlank[] = u"about:blank";

u16 WithTrailingSlash(u16 s) {
  if (!s.empty() && s.back() != u'/') s += u'/';
  return s;
}

bool IsBlankText(u16view s) { return s.empty() || EqualsNoCase(s, kBlank); }
}  // namespace

u16 TabCaptionFor(u16view title) { return IsBlankText(title) ? u16(kBlankCaption) : u16(title); }

u16 FrameCaptionFor(u16view tabCaption) {
  return Format(u"%s - %s", TabCaptionFor(tabCaption), kAppTitle);
}

CMainFrame::CMainFrame(const Ports& ports) : ports_(ports) {
  FrameServices services{*this,          commands_,     settings_,      ports.loop,
                         ports.prompts,  ports.registry, ports.shell,   ports.keys,
                         ports.clipboard, ports.engines};
  FrameWindow* w = ports.window;
  auto filters = std::make_unique<FiltersController>(
      services, w ? &w->popupBars() : nullptr, ports.contentFilter,
      [this] { return rules_.programFolder; }, [this] { return pageMenu_->FilterAddress(); });
  auto search = std::make_unique<SearchController>(services, w ? &w->searchBar() : nullptr);
  auto address =
      std::make_unique<AddressBoxController>(services, w ? &w->addressBar() : nullptr, *search);
  auto menus = std::make_unique<PageMenuController>(services, switches_,
                                                    w ? &w->pageHost() : nullptr, *search);
  auto page = std::make_unique<PageCommandsController>(services, switches_);
  filters_ = filters.get();
  pageMenu_ = menus.get();
  pageCommands_ = page.get();
  // The proxy comes first: its choice is applied before any page loads.
  controllers_.push_back(std::make_unique<ProxyController>(services));
  // The filters come next: their lists are there before the first page can open a popup.
  controllers_.push_back(std::move(filters));
  controllers_.push_back(std::make_unique<StatusController>(
      services, w ? &w->statusBar() : nullptr,
      [this] { return filters_->lists().blockedPopupCount; }));
  controllers_.push_back(std::move(search));
  controllers_.push_back(std::move(address));
  controllers_.push_back(std::move(menus));
  controllers_.push_back(std::move(page));
  controllers_.push_back(std::make_unique<TabCommandsController>(*this));
  tabCommands_ = static_cast<TabCommandsController*>(controllers_.back().get());
  controllers_.push_back(std::make_unique<TabLockController>(*this));
  tabLocks_ = static_cast<TabLockController*>(controllers_.back().get());
  controllers_.push_back(std::make_unique<HelpController>(services, [this](u16view t) { ShowNotice(t); }));
  controllers_.push_back(std::make_unique<PrivacyController>(
      services, [this] { controller<SiteIconsController>().ClearCache(); }));
  // The dialog's "设置Zel浏览器为默认" registers at once and says whether it worked.
  controllers_.push_back(std::make_unique<OptionsController>(
      services, OptionsController::Hooks{.makeDefaultBrowser = [this] {
        return controller<DefaultBrowserController>().SetDefaultBrowser(true);
      }}));
  // The session: last.ini and the closed pages (loaded here, once).
  controllers_.push_back(std::make_unique<SessionController>(
      services, w ? &w->addressBar() : nullptr,
      SessionController::FrameState{
          .inFront = [w] { return w && w->IsVisible() && !w->IsMinimized() && w->IsActive(); },
          .tabListChanged = [this] { return tabListChanged_; },
          .clearTabListChanged = [this] { tabListChanged_ = false; }}));
  controllers_.push_back(std::make_unique<FindBarController>(services, w ? w->findBar() : nullptr));
  controllers_.push_back(std::make_unique<DownloadsController>(
      services, ports.downloads, ports.destinations, w ? w->downloadsBar() : nullptr,
      [this] { return downloadFolder_; }));
  controllers_.push_back(std::make_unique<FormFillController>(services));
  auto proxy = [this] { return controller<ProxyController>().appliedProxy(); };
  controllers_.push_back(std::make_unique<SiteIconsController>(services, proxy));
  controllers_.push_back(std::make_unique<UpdateController>(
      services, UpdateController::Hooks{
                    .offlineSwitch = [this] { return controller<AddressBoxController>().offline(); },
                    .proxy = proxy}));
  // The side panes: their layout, the favorites, the history and the web page pane.
  controllers_.push_back(std::make_unique<SidePanesController>(services));
  controllers_.push_back(std::make_unique<FavoritesController>(services, [this] {
    return std::make_pair(pageMenu_->contextAddress, pageMenu_->contextText);
  }));
  controllers_.push_back(
      std::make_unique<HistoryController>(services, [this](u16view t) { ShowNotice(t); }));
  controllers_.push_back(std::make_unique<WebPaneController>(services, [this] {
    const SearchEngine* e = controller<SearchController>().searchEngines().Current();
    return e ? SiteRoot(e->url) : u16();
  }));
  controllers_.push_back(std::make_unique<ZoomController>(services, *filters_));
  auto collector = std::make_unique<CollectorController>(
      services, *filters_,
      CollectorController::Frame{.contextText = [this] { return pageMenu_->contextText; },
                                 .contextAddress = [this] { return pageMenu_->contextAddress; },
                                 .imageFolder = [this] { return pictureFolder_; }});
  controller<DownloadsController>().SetFileSavedSink(
      [c = collector.get()](u16view path) { c->CollectRecord(u"文件已保存 =>" + u16(path), kKindSavedFile); });
  controllers_.push_back(std::move(collector));
  // The window's bars and modes, the tray and the boss key.
  controllers_.push_back(std::make_unique<WindowController>(
      services, w ? w->modes() : nullptr,
      WindowController::Hooks{
          .askPassword = [this](CChildFrame* c) { return tabLocks_->AskTabPassword(c); },
          .coverPages =
              [this](bool covered) {
                if (ports_.window) ports_.window->pageHost().CoverPages(covered);
              }}));
  controllers_.push_back(
      std::make_unique<SkinController>(services, [this] { return rules_.programFolder; }));
  // The default-browser question comes last: it is asked once the rest has started.
  controllers_.push_back(std::make_unique<DefaultBrowserController>(services));
  // What the address box offers while the user types: favorites and visited pages too.
  controller<AddressBoxController>().SetSuggestionSources(
      {.favorites =
           [this] {
             std::vector<AddressSuggestion> out;
             for (const auto& [url, title] : controller<FavoritesController>().Links())
               out.push_back({url, title});
             return out;
           },
       .history =
           [this](u16view text, std::function<void(std::vector<AddressSuggestion>)> done) {
             controller<HistoryController>().Suggest(
                 text, 8, [done = std::move(done)](std::vector<Visit> visits) {
                   std::vector<AddressSuggestion> out;
                   for (Visit& v : visits) out.push_back({std::move(v.url), std::move(v.title)});
                   done(std::move(out));
                 });
           }});
}

CMainFrame::~CMainFrame() {
  alive_.reset();
  if (ports_.loop) ports_.loop->KillTimer(this, msg::kFrameTimer);
  // Views go before the frame's ports do.
  strip_.clear();
  active_ = nullptr;
  children_.clear();
}

UrlRuleSettings CMainFrame::RuleSettings() const {
  UrlRuleSettings r = rules_;
  r.webProxyDefault = settings_.webprx;
  return r;
}

void CMainFrame::LoadEarlySettings(int engineFlags) {
  zel::LoadEarlySettings(settings_, engineFlags);
  // What the frame's bars are made with (the tab strip's place and style) is read before
  // the controllers hear of the settings.
  LoadFrameCreationSettings(settings_);
  EachController([](FrameController& c) { c.OnSettingsLoaded(); });
  if (ports_.registry)
    ports_.registry->SetValue(kHkcuIeMain, u"Disable Script Debugger", RegValue::Str(u"yes"));
}

// ---------------------------------------------------------------------------------------
// OpenUrl

CChildFrame* CMainFrame::CreateChild(bool show, CVOPView* opener, Engine* related) {
  if (!ports_.engines) return nullptr;
  std::unique_ptr<Engine> engine = ports_.engines->Create(opener ? opener->engine() : related);
  if (!engine) return nullptr;
  auto child = std::make_unique<CChildFrame>();
  child->showRequest = show;
  auto view = std::make_unique<CVOPView>(*this, *child, std::move(engine));
  view->activate = recordedTabCount_ == 0 || settings_.activateNewTabs || show;
  child->SetView(std::move(view));
  CChildFrame* raw = child.get();
  children_.push_back(std::move(child));
  if (ports_.window) ports_.window->pageHost().AddChildView(raw);
  return raw;
}

CChildFrame* CMainFrame::OpenUrl(u16view address, const OpenOptions& o) {
  if (closed_) return nullptr;
  CVOPView* opener = o.opener;
  const bool show = o.show;
  // 1-2: trimmed, without line breaks; empty is the blank page.
  u16 url = CleanOpenAddress(address);
  if (url.empty()) {
    url = kBlank;
  } else {
    // 3: script and mail addresses never open a tab.
    if (Contains(url, u"javascript:") || Contains(url, u"vbscript:") || Contains(url, u"mailto:"))
      return nullptr;
    // 4: locations the desktop opens, FTP hand-off, typed-entry expansions.
    if (ports_.shell) {
      HandOffResult r = HandOffTypedEntry(url, RuleSettings(), *ports_.shell);
      if (!r.message.empty() && ports_.prompts) ports_.prompts->Message(r.message);
      if (r.handled) return nullptr;
      if (!r.text.empty()) url = r.text;
    }
    // 5: a bare host name ending in .com, .net, .edu or .org gets "www.".
    url = WithWwwForBareHost(url);
  }

  // 6: an idle blank tab is reused for modes 0 and 1.
  CChildFrame* child = nullptr;
  bool reused = false;
  if (o.tab != TabChoice::New && !o.forceNew) {
    for (CChildFrame* c : strip_) {
      CVOPView* v = c->view();
      if (!v || v->loadState >= 0 || v->closing) continue;
      const u16& shown = v->CurrentAddress().empty() ? c->caption : v->CurrentAddress();
      if (EqualsNoCase(shown, kBlank)) {
        child = c;
        reused = true;
        v->loadState = -1;
        v->started = true;
        break;
      }
    }
  }
  // 7: otherwise a new tab.
  if (!child) {
    child = CreateChild(show, opener, o.related);
    if (!child) return nullptr;
  }
  CVOPView* view = child->view();
  // 8: the view's per-view settings come from its opener, else from the frame.
  view->initialNavigation = true;
  view->loadState = -1;
  if (opener) {
    view->webProxyTemplate = opener->webProxyTemplate;
    view->webProxyMode = opener->webProxyMode;
    view->pageElementFlags = opener->pageElementFlags;
    view->autoScrollSpeed = opener->autoScrollSpeed;
    view->autoScrollWaitLoaded = opener->autoScrollWaitLoaded;
    view->autoScrollExtra = opener->autoScrollExtra;
    view->openerIndex = TabIndexOf(&opener->child());
  } else {
    view->pageElementFlags = settings_.ctlpro;
    view->autoScrollSpeed = pageCommands_->autoScrollSpeed();
    view->autoScrollWaitLoaded = pageCommands_->autoScrollWaitLoaded();
    view->autoScrollExtra = false;
  }
  view->ApplyPageElementFlags(false);
  // 9
  if (o.tab != TabChoice::Pick && o.start == StartKind::Address) view->SetCurrentAddress(url);
  // 10: a reused tab comes forward when asked to, or when it is the only one.
  if (reused && (recordedTabCount_ == 0 || show)) {
    view->activate = true;
    ActivateTab(child);
  }
  // 11
  if (o.tab != TabChoice::Pick) view->Start(int(o.start), url, o.request);
  return child;
}

void CMainFrame::SetAddressText(u16view text) {
  if (ports_.window) ports_.window->addressBar().SetAddressText(text);
}

void CMainFrame::FocusAddressBox() {
  if (ports_.window) ports_.window->addressBar().FocusAddressBox();
}

void CMainFrame::OnPageChanged(CChildFrame* child) {
  if (child == active_ && !statusIsNotice_) SetStatusText(u"");
}

void CMainFrame::ShowNotice(u16view text) {
  SetStatusText(text);
  statusIsNotice_ = true;
}

void CMainFrame::SetStatusText(u16view text) {
  statusIsNotice_ = false;
  if (ports_.window) ports_.window->statusBar().SetStatusText(text);
}

void CMainFrame::SetProgress(int percentage) {
  if (ports_.window) ports_.window->statusBar().SetProgress(percentage);
}

void CMainFrame::SetSecureIndicator(bool secure) {
  secureShown_ = secure;
  if (ports_.window) ports_.window->statusBar().SetSecureIndicator(secure);
}

void CMainFrame::OfferClipboardAddress() {
  if (!ports_.clipboard) {
    SetAddressText(kBlank);
    return;
  }
  CChildFrame* asked = active_;
  ports_.clipboard->RequestText([this, asked](std::optional<u16> text) {
    if (active_ != asked || !asked || !asked->view()) return;
    u16 t = text ? Trim(*text) : u16();
    if (t.size() > 1024) t.resize(1024);
    SetAddressText(!t.empty() && IsAddress(t) ? t : asked->view()->CurrentAddress());
  });
}

bool CMainFrame::FrameVisible() const { return ports_.window && ports_.window->IsVisible(); }

bool CMainFrame::PageMayTakeFocus() const {
  // Whether the frame is the active window does not matter here: moving the focus inside
  // an inactive window takes nothing from the window the user is in.
  return ports_.window && !ports_.window->FocusWhereUserTypes();
}

std::optional<PagePointer> CMainFrame::CursorInPage(CChildFrame* child) const {
  if (!ports_.window) return std::nullopt;
  return ports_.window->pageHost().PointerInPage(child);
}

int CMainFrame::PageHeight(CChildFrame* child) const {
  return ports_.window ? ports_.window->pageHost().PageHeight(child) : 0;
}

// ---------------------------------------------------------------------------------------
// Messages

void CMainFrame::PostMessage(int message, intptr_t wparam, intptr_t lparam) {
  if (!ports_.loop) return;
  // A message still queued when the frame is gone is dropped.
  ports_.loop->Post([this, alive = std::weak_ptr<bool>(alive_), message, wparam, lparam] {
    if (!alive.expired()) OnMessage(message, wparam, lparam);
  });
}

void CMainFrame::OnMessage(int message, intptr_t wparam, intptr_t lparam) {
  if (closed_) return;
  switch (message) {
    case msg::kDeferredStartup:
      OnDeferredStartup();
      break;
    case msg::kRefreshToolbars:
      RefreshCommandStates();
      break;
    case msg::kRefreshTabTexts:
      for (size_t i = 0; i < strip_.size(); ++i)
        if (ports_.window) ports_.window->tabStrip().SetTabEntryText(int(i), TabCaptionFor(strip_[i]->caption));
      break;
    case msg::kActivateChild: {
      auto* child = reinterpret_cast<CChildFrame*>(lparam);
      for (auto& c : children_)
        if (c.get() == child) {
          ActivateTab(child);
          break;
        }
      break;
    }
    case msg::kApplyTabSelection:
      ApplyTabSelection();
      break;
    case msg::kCommand:
      OnCommand(int(wparam));
      break;
    default:
      break;
  }
}

void CMainFrame::OnHandOff(u16view text) {
  if (closed_) return;
  if (ports_.window) {
    // Shown through the show path without the password question.
    controller<WindowController>().ShowForHandOff();
    ports_.window->Present();
  }
  u16 address = IsShortcutTarget(text) ? ResolveShortcut(text) : u16(text);
  controller<AddressBoxController>().OpenGivenAddress(address, true);
}

void CMainFrame::OnRaiseRequest() {
  if (closed_ || !ports_.window) return;
  // A hidden frame shows through the show path, which asks a password tab's password.
  controller<WindowController>().ShowForRaise();
  if (ports_.window->IsVisible() && !ports_.window->IsMinimized()) ports_.window->Present();
}

void CMainFrame::OnFrameTimer() {
  if (closed_) return;
  frameTicks_ = frameTicks_ >= msg::kFrameTimerSaveTick ? 0 : frameTicks_ + 1;
  EachController([](FrameController& c) { c.OnFrameTick(); });
  if (frameTicks_ == msg::kFrameTimerSaveTick)
    EachController([](FrameController& c) { c.OnPeriodicSave(); });
}

void CMainFrame::OnDeferredStartup() {
  if (deferredDone_) return;
  deferredDone_ = true;
  if (ports_.loop)
    ports_.loop->SetTimer(this, msg::kFrameTimer, frameTimerMs_, [this] { OnFrameTimer(); });
  // The controllers in their order (the filter lists first).
  EachController([](FrameController& c) { c.OnDeferredStartup(); });
  // Host name for the proxy bypass of local addresses.
  u16 host = FromUtf8(g_get_host_name());
  if (host.size() > 255) host.resize(255);
  hostName_ = host;
  LoadLateSettings(settings_);
  switches_.gesturesOn = true;
  switches_.wheelTabSwitch = true;
  // Download folder: the setting, or the desktop's download folder (where every other
  // program of the desktop saves, "~/下载" or "~/Downloads"); the picture folder:
  // documents + "My Pictures/". Both end with "/".
  const char* docs = g_get_user_special_dir(G_USER_DIRECTORY_DOCUMENTS);
  u16 docsDir = FromUtf8(docs ? docs : g_get_home_dir());
  if (settings_.downloadfolder.empty()) {
    downloadFolder_ = DesktopDownloadFolder();
  } else {
    downloadFolder_ = WithTrailingSlash(settings_.downloadfolder);
    if (chdir(ToUtf8(settings_.downloadfolder).c_str()) != 0) {
      // A folder that does not exist simply is not made current.
    }
    if (ports_.registry)
      ports_.registry->SetValue(kHkcuIeMain, u"Save Directory",
                                RegValue::Str(settings_.downloadfolder));
  }
  if (pictureFolder_.empty())
    pictureFolder_ = WithTrailingSlash(WithTrailingSlash(docsDir) + u"My Pictures");
  if (ports_.window) {
    ports_.window->Present();
    RefreshCommandStates();
  }
  // A profile file that exists but cannot be read runs on defaults and is left alone.
  for (const std::string& path : TakeUnreadableFiles())
    ShowNotice(u"设置文件无法读取: " + FromUtf8(BaseName(path)));
}

bool CMainFrame::OnCommand(int id) {
  if (!commands_.Run(id)) return false;
  if (!closed_) RefreshCommandStates();
  return true;
}

void CMainFrame::SetFrameCaption(u16view caption) {
  if (!ports_.window) return;
  // Without an active tab the text is used as it is.
  ports_.window->SetCaption(active_ ? FrameCaptionFor(caption) : u16(caption));
}

void CMainFrame::RefreshCommandStates() {
  if (ports_.window) ports_.window->RefreshCommandStates();
}

void CMainFrame::RefreshFrameCaption() {
  SetFrameCaption(active_ ? active_->caption : u16(kAppTitle));
}

// ---------------------------------------------------------------------------------------
// Shutdown

void CMainFrame::SavePlacement() {
  FrameWindow* w = ports_.window;
  if (!w) return;
  // A minimized window does not write its rectangle.
  // In full screen the window reports the rectangle it goes back to.
  bool writeRect = !w->IsMaximized() && !w->IsMinimized();
  WindowRect r = writeRect ? w->GetRect() : WindowRect{};
  SaveWindowPlacement({.maximized = w->IsMaximized(),
                       .writeRect = writeRect,
                       .x = r.x,
                       .y = r.y,
                       .width = r.width,
                       .height = r.height});
}

bool CMainFrame::Close(CloseSource source) {
  if (closed_) return true;
  if (source == CloseSource::Window && settings_.quitconfirm && ports_.prompts) {
    if (!ports_.prompts->AskYesNo(u"您真的要退出Zel浏览器吗?", kAppTitle, PromptIcon::Question))
      return false;
  }
  closed_ = true;
  if (ports_.loop) ports_.loop->KillTimer(this, msg::kFrameTimer);
  SavePlacement();
  if (ports_.window) ports_.window->HideFrame();
  // The open and closed pages are on disk before the run counts as ended normally.
  controller<SessionController>().SaveAtShutdown();
  WriteConfigInt(u"GENERAL", u"normalquit", 1);
  // The traces the user chose go now: their owners then save what is left (empty lists).
  controller<PrivacyController>().ClearOnExit();
  // The subsystems hand their state to the settings and save their own files (search words,
  // typed addresses) before the settings are written.
  EachController([](FrameController& c) { c.OnShutdown(); });
  SaveExitSettingsBeforeSearchWords(settings_);
  SaveExitSettingsAfterSearchWords(settings_);
  // The tabs go with the frame.
  strip_.clear();
  active_ = nullptr;
  while (!children_.empty()) DestroyChild(children_.back().get());
  if (ports_.window) ports_.window->Destroy();
  return true;
}

void CMainFrame::OpenStartPage() {
  // A stored start mode 2 brings back the pages of the last run.
  if (controller<SessionController>().OpenLastPages()) return;
  tabCommands_->OpenStartPage();
}

void CMainFrame::OnTabMouse(int index, TabMouse action) { tabCommands_->OnTabMouse(index, action); }

// ---------------------------------------------------------------------------------------
// What the views reach through the frame

const GestureTable& CMainFrame::gestureTable() const { return pageMenu_->gestureTable(); }
PopupPolicy* CMainFrame::popupPolicy() const {
  return popupOverride_ ? popupOverride_ : filters_->popupPolicy();
}
bool CMainFrame::PopupFilterOn() const { return filters_->lists().switches.popup; }

void CMainFrame::OnDocumentComplete(CChildFrame* child, u16view url) {
  EachController([child, url](FrameController& c) { c.OnDocumentComplete(child, url); });
}

void CMainFrame::SystemCommand(int id) {
  if (!ports_.window) return;
  if (id == kSysCommandMinimize) ports_.window->Minimize();
  if (id == kSysCommandRestore) ports_.window->Restore();
}

bool CMainFrame::ShowPageMenu(CVOPView& view, const PageHit& hit, int x, int y) {
  return pageMenu_->ShowPageMenu(view, hit, x, y);
}

bool CMainFrame::OnPageDrop(const PageDrop& drop) { return pageMenu_->OnPageDrop(drop); }

void CMainFrame::OnFileSaved(CChildFrame*, u16view path) {
  controller<DownloadsController>().NoteFileSaved(path);
}

void CMainFrame::PostToolbarRefresh() { PostMessage(msg::kRefreshToolbars); }

void CMainFrame::PostCommand(int id) { PostMessage(msg::kCommand, id); }

}  // namespace zel
