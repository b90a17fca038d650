#include "frame/main_frame.h"

#include <glib.h>
#include <unistd.h>

#include "app/config_schema.h"
#include "app/settings_file.h"
#include "app/startup.h"
#include "frame/commands.h"
#include "frame/frame_window.h"
#include "platform/message_loop.h"
#include "platform/prompt_port.h"
#include "platform/registry_port.h"

namespace zel {

namespace {
constexpr char16_t kBlankCaption[] = u"空白页";

u16 WithTrailingSlash(u16 s) {
  if (!s.empty() && s.back() != u'/') s += u'/';
  return s;
}
}  // namespace

u16 FrameCaptionFor(u16view tabCaption) {
  u16view shown = tabCaption;
  if (shown.empty() || EqualsNoCase(shown, u"about:blank")) shown = kBlankCaption;
  return Format(u"%s - %s", shown, kAppTitle);
}

CMainFrame::CMainFrame(const Ports& ports) : ports_(ports) {
  commands_[cmd::kExit] = [this] { Close(CloseSource::ExitCommand); };
}

CMainFrame::~CMainFrame() = default;

void CMainFrame::LoadEarlySettings(int engineFlags) {
  zel::LoadEarlySettings(settings_, engineFlags);
  if (ports_.registry)
    ports_.registry->SetValue(kHkcuIeMain, u"Disable Script Debugger", RegValue::Str(u"yes"));
}

bool CMainFrame::OpenUrl(int mode, int startKind, u16view address, bool show) {
  u16 url = Trim(address);
  if (url.find_first_of(u"\r\n") != u16::npos) {
    u16 clean;
    for (char16_t c : url)
      if (c != u'\r' && c != u'\n') clean += c;
    url = clean;
  }
  if (url.empty()) {
    url = u"about:blank";
  } else if (Contains(url, u"javascript:") || Contains(url, u"vbscript:") ||
             Contains(url, u"mailto:")) {
    return false;
  }
  if (ports_.window) {
    ports_.window->ShowPage(url);
    if (show) ports_.window->Present();
  }
  return true;
}

void CMainFrame::OpenStartPage() {
  if (settings_.startmode == 1) {
    const u16& home = settings_.homepage;
    OpenUrl(1, 2, home.empty() ? u16(u"about:blank") : home, true);
  } else {
    OpenUrl(2, 0, u"", settings_.activateNewTabs);
  }
}

void CMainFrame::PostMessage(int message, intptr_t wparam, intptr_t lparam) {
  if (!ports_.loop) return;
  ports_.loop->Post([this, message, wparam, lparam] { OnMessage(message, wparam, lparam); });
}

void CMainFrame::OnMessage(int message, intptr_t, intptr_t) {
  if (closed_) return;
  switch (message) {
    case msg::kDeferredStartup:
      OnDeferredStartup();
      break;
    default:
      break;
  }
}

void CMainFrame::OnHandOff(u16view text) {
  if (closed_) return;
  if (ports_.window) {
    if (ports_.window->IsVisible()) {
      ports_.window->Present();
    } else {
      // The hidden frame is shown through its show path; a hand-off never asks for a
      // tab password.
      ports_.window->Restore();
      ports_.window->Present();
    }
  }
  u16 address = IsShortcutTarget(text) ? ResolveShortcut(text) : u16(text);
  OpenUrl(1, 2, address, true);
}

void CMainFrame::OnRaiseRequest() {
  if (closed_ || !ports_.window) return;
  if (ports_.window->IsMinimized()) ports_.window->Restore();
  ports_.window->Present();
}

void CMainFrame::OnDeferredStartup() {
  if (deferredDone_) return;
  deferredDone_ = true;
  // Host name for the proxy bypass of local addresses.
  u16 host = FromUtf8(g_get_host_name());
  if (host.size() > 255) host.resize(255);
  hostName_ = host;
  if (ports_.registry) {
    auto off = ports_.registry->GetDword(kHkcuInternetSettings, u"GlobalUserOffline");
    offline_ = off && *off != 0;
  }
  LoadLateSettings(settings_);
  // Download folder: the setting, or the documents folder + "My Html/"; the picture
  // folder: documents + "My Pictures/". Both end with "/".
  const char* docs = g_get_user_special_dir(G_USER_DIRECTORY_DOCUMENTS);
  u16 docsDir = FromUtf8(docs ? docs : g_get_home_dir());
  if (settings_.downloadfolder.empty()) {
    downloadFolder_ = WithTrailingSlash(WithTrailingSlash(docsDir) + u"My Html");
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
  if (ports_.window) ports_.window->Present();
}

bool CMainFrame::OnCommand(int id) {
  auto it = commands_.find(id);
  if (it == commands_.end()) return false;
  it->second();
  return true;
}

void CMainFrame::OnPageTitle(u16view title) {
  pageTitle_ = u16(title);
  SetFrameCaption(pageTitle_);
}

void CMainFrame::SetFrameCaption(u16view caption) {
  if (ports_.window) ports_.window->SetCaption(FrameCaptionFor(caption));
}

void CMainFrame::SavePlacement() {
  FrameWindow* w = ports_.window;
  if (!w) return;
  SettingsFile f(kConfigFile, u"GENERAL");
  if (w->IsMaximized()) {
    f.WriteInt(u"zoomed", 1);
  } else if (w->IsMinimized() || w->IsFullScreen()) {
    // Nothing: a minimized or full-screen window does not write its rectangle.
  } else {
    WindowRect r = w->GetRect();
    f.WriteInt(u"zoomed", 0);
    f.WriteInt(u"top", r.y);
    f.WriteInt(u"left", r.x);
    f.WriteInt(u"width", r.width);
    f.WriteInt(u"height", r.height);
  }
}

bool CMainFrame::Close(CloseSource source) {
  if (closed_) return true;
  if (source == CloseSource::Window && settings_.quitconfirm && ports_.prompts) {
    if (!ports_.prompts->AskYesNo(u"您真的要退出Zel浏览器吗?", kAppTitle, PromptIcon::Question))
      return false;
  }
  closed_ = true;
  SavePlacement();
  if (ports_.window) ports_.window->HideFrame();
  WriteConfigInt(u"GENERAL", u"normalquit", 1);
  SaveExitSettingsBeforeSearchWords(settings_);
  SaveExitSettingsAfterSearchWords(settings_);
  if (ports_.window) ports_.window->Destroy();
  return true;
}

}  // namespace zel
