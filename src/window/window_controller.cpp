#include "window/window_controller.h"

#include <algorithm>

#include "base/commands.h"
#include "base/files.h"
#include "base/ini_document.h"
#include "platform/message_loop.h"
#include "platform/prompt_port.h"
#include "settings/layout_file.h"
#include "view/child_frame.h"
#include "window/boss_key.h"

namespace zel {

namespace {
constexpr char16_t kSection[] = u"CommandBars";
constexpr char16_t kTrayTip[] = u"Zel浏览器";
constexpr char16_t kProtectedTabs[] =
    u"无法最小化或还原窗口, 因为一些窗口正处于被保护状态.";

bool Flag(const IniDocument& doc, u16view key, bool fallback) {
  auto v = doc.Get(kSection, key);
  if (!v || (*v != u"0" && *v != u"1")) return fallback;
  return *v == u"1";
}
}  // namespace

BarLayout ParseBarLayout(const std::string& fileBytes) {
  IniDocument doc = IniDocument::Parse(fileBytes);
  BarLayout l;
  l.standard = Flag(doc, u"Standard", l.standard);
  l.search = Flag(doc, u"Search", l.search);
  l.tabs = Flag(doc, u"TabStyle", l.tabs);
  l.status = Flag(doc, u"Statusbar", l.status);
  l.locked = Flag(doc, u"Locked", l.locked);
  // The order is taken only when it names each bar of the row once.
  if (auto order = doc.Get(kSection, u"Order")) {
    std::vector<u16> names;
    for (const u16& part : Split(*order, u',')) names.push_back(Trim(part));
    std::vector<u16> sorted = names, known = l.order;
    std::sort(sorted.begin(), sorted.end());
    std::sort(known.begin(), known.end());
    if (sorted == known) l.order = names;
  }
  return l;
}

std::string WriteBarLayout(const std::string& fileBytes, const BarLayout& l) {
  IniDocument doc = IniDocument::Parse(fileBytes);
  auto flag = [&](u16view key, bool on) { doc.Set(kSection, key, on ? u"1" : u"0"); };
  flag(u"Standard", l.standard);
  flag(u"Search", l.search);
  flag(u"TabStyle", l.tabs);
  flag(u"Statusbar", l.status);
  flag(u"Locked", l.locked);
  u16 order;
  for (const u16& name : l.order) order += (order.empty() ? u"" : u",") + name;
  doc.Set(kSection, u"Order", order);
  return doc.Serialize();
}

std::vector<u16> MoveBarInOrder(const std::vector<u16>& order, u16view moved, size_t before) {
  auto at = std::find(order.begin(), order.end(), moved);
  if (at == order.end()) return order;
  const size_t from = size_t(at - order.begin());
  std::vector<u16> out = order;
  out.erase(out.begin() + long(from));
  // Taken out ahead of the place, the place moves up by one.
  size_t to = std::min(before, order.size());
  if (from < to) --to;
  out.insert(out.begin() + long(to), u16(moved));
  return out;
}

WindowController::WindowController(FrameServices services, WindowModesView* view, Hooks hooks)
    : s_(services), view_(view), hooks_(std::move(hooks)) {
  CommandRegistry& c = s_.commands;
  struct Row {
    int id;
    FrameBar bar;
  } rows[] = {{cmd::kStandardBar, FrameBar::StandardBar},
              {cmd::kSearchBarShown, FrameBar::SearchBar},
              {cmd::kTabBarShown, FrameBar::TabBar},
              {cmd::kStatusBarShown, FrameBar::StatusBar}};
  for (const Row& r : rows) {
    FrameBar bar = r.bar;
    c.Add(r.id, [this, bar] { ToggleBar(bar); }).Checked([this, bar] {
      return view_ && view_->BarShown(bar);
    });
  }
  c.Add(cmd::kLockBars, [this] {
     locked_ = !locked_;
     if (view_) view_->SetBarsLocked(locked_);
   }).Checked([this] { return locked_; });
  c.Add(cmd::kFullScreen, [this] { ToggleFullScreen(); }).Checked([this] {
    return view_ && view_->FullScreen();
  });
  c.Add(cmd::kFunctionKeyF11, [this] { ToggleFullScreen(); });
  c.Add(cmd::kAutoHideBars, [this] { ToggleAutoHide(); }).Checked([this] { return autoHide_; });
  c.Add(cmd::kFunctionKeyF12, [this] { ToggleAutoHide(); });
  // Tabs always fill the page area; with a password tab open their windows stay as they are.
  for (int id : {cmd::kRestoreTabWindow, cmd::kMinimizeTabWindow}) {
    c.Add(id, [this] {
      if (AnyPasswordTab() && s_.prompts)
        s_.prompts->Message(kProtectedTabs, kAppTitle, PromptIcon::Warning);
    });
  }
  c.Add(cmd::kShowFrame, [this] { ShowFrame(false); });
}

WindowController::~WindowController() {
  if (hotKeys_ && bossKeyRegistered_) hotKeys_->Unregister();
}

void WindowController::SetDesktop(TrayPort* tray, HotKeyPort* hotKeys) {
  tray_ = tray;
  hotKeys_ = hotKeys;
  if (tray_) {
    tray_->SetActions({
        .show = [this] { ShowFrame(false); },
        .quit = [this] { s_.tabs.PostCommand(cmd::kExit); },
    });
  }
}

void WindowController::OnSettingsLoaded() {
  if (!view_) return;
  BarLayout l = ParseBarLayout(LayoutFileAtStart(s_.settings));
  if (!s_.settings.firstrun) saved_ = WriteBarLayout(std::string(), l);
  view_->ShowBar(FrameBar::StandardBar, l.standard);
  view_->ShowBar(FrameBar::SearchBar, l.search);
  view_->ShowBar(FrameBar::TabBar, l.tabs);
  view_->ShowBar(FrameBar::StatusBar, l.status);
  view_->SetToolbarOrder(l.order);
  order_ = l.order;
  locked_ = l.locked;
  view_->SetBarsLocked(locked_);
  // Read with the frame's creation settings, before this.
  view_->SetTabBarAtBottom(s_.settings.tabBarPosition == 1);
  view_->SetSmallTabs(s_.settings.smallTabs);
}

void WindowController::OnDeferredStartup() {
  // After the frame's late settings (the tray switches and the key) are read.
  if (!s_.loop) return StartDesktop();
  std::weak_ptr<bool> alive = alive_;
  s_.loop->Post([this, alive] {
    if (alive.lock()) StartDesktop();
  });
}

void WindowController::StartDesktop() {
  if (closed_) return;
  if (tray_ && s_.settings.showtray && !tray_->IconShown()) tray_->ShowIcon(kTrayTip);
  std::optional<XKeyBinding> key = MapBossKey(s_.settings.bosskey);
  if (!key || !hotKeys_) return;
  bossKeyRegistered_ =
      hotKeys_->Register(key->keysym, key->modifiers, [this] { OnBossKey(false); });
  if (!bossKeyRegistered_) s_.tabs.SetStatusText(u"老板键无法注册 (需要 X11 桌面且该键未被占用)");
}

void WindowController::OnShutdown() {
  closed_ = true;
  if (tray_ && tray_->IconShown()) tray_->RemoveIcon();
  if (hotKeys_ && bossKeyRegistered_) hotKeys_->Unregister();
  bossKeyRegistered_ = false;
  SaveLayout();
}

void WindowController::SaveLayout() {
  if (!view_) return;
  BarLayout l;
  l.standard = view_->BarShown(FrameBar::StandardBar);
  l.search = view_->BarShown(FrameBar::SearchBar);
  l.tabs = view_->BarShown(FrameBar::TabBar);
  l.status = view_->BarShown(FrameBar::StatusBar);
  l.locked = locked_;
  l.order = order_;
  std::string mine = WriteBarLayout(std::string(), l);
  if (mine == saved_) return;
  if (RewriteLayoutFile([&l](const std::string& bytes) { return WriteBarLayout(bytes, l); }))
    saved_ = mine;
}

void WindowController::OnBarMoved(u16view name, size_t before) {
  if (locked_ || !view_) return;
  std::vector<u16> order = MoveBarInOrder(order_, name, before);
  if (order == order_) return;
  order_ = order;
  view_->SetToolbarOrder(order_);
}

void WindowController::ToggleBar(FrameBar bar) {
  if (view_) view_->ShowBar(bar, !view_->BarShown(bar));
}

bool WindowController::AnyPasswordTab() const {
  for (int i = 0; CChildFrame* tab = s_.tabs.TabAt(i); ++i)
    if (tab->hasPassword) return true;
  return false;
}

void WindowController::ToggleFullScreen() {
  if (!view_) return;
  if (!view_->FrameShown()) view_->ShowFrame();
  if (autoHide_) {
    autoHide_ = false;
    view_->SetAutoHide(false);
  }
  view_->SetFullScreen(!view_->FullScreen());
}

void WindowController::ToggleAutoHide() {
  if (!view_) return;
  if (!view_->FrameShown()) view_->ShowFrame();
  if (view_->FullScreen()) view_->SetFullScreen(false);
  autoHide_ = !autoHide_;
  view_->SetAutoHide(autoHide_);
}

void WindowController::ShowFrame(bool handOff) {
  if (!view_ || view_->FrameShown() || asking_) return;
  CChildFrame* active = s_.tabs.ActiveChild();
  const bool ask = !handOff && active && active->hasPassword && hooks_.askPassword;
  SkipRestoreQuestion();
  // The page of a password tab is never seen before its password.
  if (ask && hooks_.coverPages) hooks_.coverPages(true);
  view_->ShowFrame();
  if (!ask) return;
  asking_ = true;
  const bool right = hooks_.askPassword(active);
  asking_ = false;
  if (!right) {
    // A wrong or cancelled password hides the frame again, tray or not: the tab stays unseen.
    view_->MinimizeAndHideFrame();
    if (tray_ && s_.settings.showtray && !tray_->IconShown()) tray_->ShowIcon(kTrayTip);
  }
  if (hooks_.coverPages) hooks_.coverPages(false);
}

void WindowController::SkipRestoreQuestion() {
  // The window's state change comes a moment after the request.
  skipRestoreUntilMs_ = s_.loop ? s_.loop->NowMs() + 2000 : -1;
}

bool WindowController::restoreQuestionSkipped() const {
  return asking_ || (s_.loop && s_.loop->NowMs() < skipRestoreUntilMs_);
}

void WindowController::OnRestored() {
  if (closed_ || !view_ || restoreQuestionSkipped()) return;
  CChildFrame* active = s_.tabs.ActiveChild();
  if (!active || !active->hasPassword || !hooks_.askPassword) return;
  if (hooks_.coverPages) hooks_.coverPages(true);
  auto ask = [this, active] {
    asking_ = true;
    // The tab may have closed meanwhile: the password of the one in front is asked.
    CChildFrame* now = s_.tabs.ActiveChild();
    const bool right = now != active || hooks_.askPassword(active);
    asking_ = false;
    if (!right && !closed_) {
      SkipRestoreQuestion();
      view_->MinimizeFrame();
    }
    if (hooks_.coverPages) hooks_.coverPages(false);
  };
  // Not inside the window's own state change.
  if (!s_.loop) return ask();
  std::weak_ptr<bool> alive = alive_;
  s_.loop->Post([alive, ask] {
    if (alive.lock()) ask();
  });
}

void WindowController::ShowForRaise() {
  if (!view_ || closed_) return;
  if (!view_->FrameShown() && !view_->FrameMinimized()) {
    ShowFrame(false);
    return;
  }
  // Minimized: the restore asks, as one from the task bar does.
  view_->ShowFrame();
}

void WindowController::ShowForHandOff() {
  if (!view_ || closed_) return;
  SkipRestoreQuestion();
  if (!view_->FrameShown()) ShowFrame(true);
}

void WindowController::OnBossKey(bool handOff) {
  if (!view_ || closed_) return;
  if (!view_->FrameShown()) {
    ShowFrame(handOff);
    return;
  }
  if (!bossKeyRegistered_ && !s_.settings.showtray) return;
  view_->MinimizeAndHideFrame();
  if (!tray_) return;
  // Hidden by the boss key without the tray, the program shows nowhere: that is the point
  // of the key.
  if (s_.settings.showtray && !tray_->IconShown()) tray_->ShowIcon(kTrayTip);
  if (!s_.settings.showtray && tray_->IconShown()) tray_->RemoveIcon();
}

void WindowController::HideToTray() {
  if (!view_) return;
  view_->MinimizeAndHideFrame();
  if (tray_ && !tray_->IconShown()) tray_->ShowIcon(kTrayTip);
}

bool WindowController::TakeCloseBox() {
  if (closed_ || !s_.settings.closetray || !view_) return false;
  HideToTray();
  return true;
}

void WindowController::OnMinimized() {
  if (closed_ || !s_.settings.minitray || !view_) return;
  HideToTray();
}

}  // namespace zel
