#include "proxy/proxy_controller.h"

#include <glib.h>

#include <mutex>
#include <thread>

#include "base/commands.h"
#include "base/files.h"
#include "platform/message_loop.h"
#include "platform/prompt_port.h"
#include "proxy/proxy_dialogs_view.h"
#include "proxy/proxy_rules.h"
#include "view/vop_view.h"

namespace zel {

namespace {
constexpr char16_t kBlank[] = u"about:blank";

EngineProxy Direct() {
  EngineProxy p;
  p.mode = EngineProxy::Mode::Direct;
  return p;
}

// Saves of proxy.ini, from the main loop or a worker: one at a time, and a save of an older
// copy never replaces a newer one.
std::mutex g_saveMutex;
uint64_t g_savedGeneration = 0;
bool SaveGeneration(const ProxyList& list, uint64_t generation) {
  std::lock_guard<std::mutex> lock(g_saveMutex);
  if (generation <= g_savedGeneration) return true;
  if (!SaveProxyFile(list)) return false;
  g_savedGeneration = generation;
  return true;
}
// An import file past this is no proxy list.
constexpr size_t kMaxImportFile = 64u << 20;
}  // namespace

ProxyController::ProxyController(const FrameServices& services) : s_(services) {
  RegisterCommands();
}

ProxyController::~ProxyController() { alive_.reset(); }

void ProxyController::RegisterCommands() {
  CommandRegistry& c = s_.commands;
  c.Add(cmd::kProxyEnable, [this] { ToggleProxy(); }).Checked([this] {
    return s_.settings.proxyEnable;
  });
  c.Add(cmd::kSystemProxy, [this] { ToggleSystemProxy(); }).Checked([this] {
    return systemProxyOn();
  });
  c.Add(cmd::kProxyDialog, [this] { ShowProxyDialog(); });
  c.Add(cmd::kWebProxy, [this] { ToggleWebProxy(); })
      .Checked([this] {
        CVOPView* v = s_.tabs.ActiveView();
        return v && v->webProxyMode;
      })
      .Enabled([this] { return s_.tabs.ActiveView() != nullptr; });
  c.Add(cmd::kImportProxies, [this] { ImportProxyList(); });
  c.Add(cmd::kExportProxies, [this] { ExportProxyList(); });
}

u16 ProxyController::HostName() const {
  const char* h = g_get_host_name();
  return FromUtf8(h ? h : "");
}

// ---- Lists ----

void ProxyController::LoadProxies() {
  fileUnreadable_ = !LoadProxyFile(list_, s_.settings.exception);
}

void ProxyController::SaveProxies() {
  if (fileUnreadable_) return;  // a file we could not read is never written over
  if (SaveGeneration(list_, ++generation_)) dirty_ = false;
}

void ProxyController::RequestSave() {
  dirty_ = true;
  if (!s_.loop) {
    SaveProxies();
    return;
  }
  if (savePosted_) return;
  savePosted_ = true;
  // At the next idle moment the lists are copied on the main loop and written by a worker:
  // no thread but the main one ever reads them, and a large file does not stall the window.
  std::weak_ptr<bool> alive = alive_;
  s_.loop->Post([this, alive] {
    if (!alive.lock()) return;
    savePosted_ = false;
    if (fileUnreadable_) return;
    uint64_t generation = ++generation_;
    MessageLoop* loop = s_.loop;
    std::thread([this, copy = list_, generation, alive, loop]() mutable {
      bool ok = SaveGeneration(copy, generation);
      if (!alive.lock()) return;
      loop->Post([this, ok, generation, alive] {
        if (!alive.lock()) return;
        // Lists changed since the copy was taken stay dirty for their own save.
        if (ok && generation == generation_) dirty_ = false;
      });
    }).detach();
  });
}

void ProxyController::OnSettingsLoaded() {
  FrameSettings& st = s_.settings;
  // A chosen proxy always has a name; an address without one is no choice (a run of an
  // older version could leave it behind a deleted entry).
  if (st.proname.empty() && !st.curpro.empty()) {
    st.curpro.clear();
    st.proxyEnable = false;
  }
  LoadSystemProxy();
  // The choice of the last run (the system proxy's was applied by LoadSystemProxy); off is
  // straight to the sites from the first page on.
  if (st.proname != kSystemProxyName) ApplyProxy();
}

void ProxyController::OnShutdown() {
  if (dirty_) SaveProxies();
}

// ---- The engine ----

void ProxyController::LoadSystemProxy() {
  system_ = ReadSystemProxy();
  FrameSettings& st = s_.settings;
  if (st.proname == kSystemProxyName) {
    st.curpro = system_.list;
    st.exception = system_.bypass;
    ApplyProxy();
  }
}

bool ProxyController::ApplyProxy() {
  FrameSettings& st = s_.settings;
  if (st.proxyEnable) {
    if (st.curpro.empty()) {
      if (system_.list.empty()) {
        if (s_.prompts) s_.prompts->Message(kChooseProxyFirst, kAppTitle, PromptIcon::Warning);
        // The switch falls back to off, and so do the pages: what they used before is
        // no longer chosen.
        st.proxyEnable = false;
        SetEngineProxy(Direct());
        return false;
      }
      st.curpro = system_.list;
      st.proname = kSystemProxyName;
      st.exception = system_.bypass;
    }
    std::optional<EngineProxy> p = EngineProxyFor(st.curpro, st.exception, HostName());
    if (!p || !SetEngineProxy(*p)) {
      if (s_.prompts) s_.prompts->Message(kProxyRefused, kAppTitle, PromptIcon::Error);
      // The pages keep what they had: so does the switch.
      st.proxyEnable = applied_.mode == EngineProxy::Mode::Custom;
      if (st.proxyEnable) {
        st.curpro = appliedChoice_.curpro;
        st.proname = appliedChoice_.proname;
        st.exception = appliedChoice_.exception;
      }
      return false;
    }
    appliedChoice_ = {st.curpro, st.proname, st.exception};
    return true;
  }
  // Off: straight to the sites, never the desktop's proxy.
  if (!SetEngineProxy(Direct())) {
    if (s_.prompts) s_.prompts->Message(kProxyRefused, kAppTitle, PromptIcon::Error);
    st.proxyEnable = applied_.mode == EngineProxy::Mode::Custom;
    return false;
  }
  return true;
}

bool ProxyController::SetEngineProxy(const EngineProxy& p) {
  if (s_.engines && !s_.engines->SetProxy(p)) return false;
  applied_ = p;
  return true;
}

// ---- Commands ----

void ProxyController::ToggleProxy() {
  s_.settings.proxyEnable = !s_.settings.proxyEnable;
  ApplyProxy();
}

bool ProxyController::systemProxyOn() const {
  return s_.settings.proxyEnable && !system_.list.empty() && s_.settings.curpro == system_.list;
}

void ProxyController::ToggleSystemProxy() {
  if (system_.list.empty()) {
    if (s_.prompts) s_.prompts->Message(kNoSystemProxy, kAppTitle, PromptIcon::Warning);
    return;
  }
  FrameSettings& st = s_.settings;
  if (!st.proxyEnable || st.proname != kSystemProxyName) {
    st.proxyEnable = true;
    st.curpro = system_.list;
    st.proname = kSystemProxyName;
    st.exception = system_.bypass;
  } else {
    st.proxyEnable = false;
  }
  ApplyProxy();
}

void ProxyController::ToggleWebProxy() {
  CVOPView* view = s_.tabs.ActiveView();
  if (!view) return;
  u16 address = view->CurrentAddress();
  if (view->webProxyMode) {
    view->webProxyMode = false;
    // Straight to the page the proxy was showing.
    const u16& tpl = view->webProxyTemplate.empty() ? s_.settings.webprx : view->webProxyTemplate;
    address = UnwrapWebProxy(address, tpl);
  } else {
    if (view->webProxyTemplate.empty()) view->webProxyTemplate = s_.settings.webprx;
    if (view->webProxyTemplate.empty()) {
      if (s_.prompts) s_.prompts->Message(kChooseWebProxyFirst, kAppTitle, PromptIcon::Warning);
      return;
    }
    view->webProxyMode = true;
  }
  // The page again, through the web proxy or straight.
  if (!address.empty() && !EqualsNoCase(address, kBlank)) view->Navigate(address);
}

ProxyDialogState ProxyController::DialogState() const {
  const FrameSettings& st = s_.settings;
  ProxyDialogState d;
  d.list = list_;
  d.enable = st.proxyEnable;
  if (st.proname != kSystemProxyName) d.chosen = st.curpro;
  CVOPView* view = s_.tabs.ActiveView();
  d.webProxyOn = view && view->webProxyMode;
  d.webTemplate = view && !view->webProxyTemplate.empty() ? view->webProxyTemplate : st.webprx;
  int b = d.list.BypassCategory();
  d.bypass = b >= 0 ? d.list.categories[size_t(b)].exception : st.exception;
  return d;
}

void ProxyController::ShowProxyDialog() {
  if (!dialogs_) return;
  ProxyDialogState state = DialogState();
  if (!dialogs_->EditProxies(state)) return;
  ApplyDialog(state);
}

void ProxyController::ApplyDialog(const ProxyDialogState& d) {
  FrameSettings& st = s_.settings;
  list_ = d.list;
  int b = list_.BypassCategory();
  if (b >= 0) list_.categories[size_t(b)].exception = d.bypass;
  RequestSave();
  // The web proxy of the active tab.
  u16 tpl = Trim(d.webTemplate);
  if (CVOPView* view = s_.tabs.ActiveView()) {
    view->webProxyTemplate = tpl;
    view->webProxyMode = d.webProxyOn && !tpl.empty();
  }
  if (!tpl.empty()) st.webprx = tpl;
  // The proxy server.
  if (st.proname != kSystemProxyName) {
    st.proxyEnable = d.enable;
    // The chosen proxy is an entry of the lists, named by its alias (by its address when
    // it has none); an address the lists no longer hold is no choice.
    st.curpro = ToLower(Trim(d.chosen));
    std::optional<u16> alias = list_.AliasOf(st.curpro);
    if (!alias) st.curpro.clear();
    st.proname = !alias ? u16() : alias->empty() ? st.curpro : *alias;
    st.exception = BypassWithLocal(b >= 0 ? list_.categories[size_t(b)].exception : d.bypass);
    ApplyProxy();
  } else if (st.proxyEnable != d.enable) {
    st.proxyEnable = d.enable;
    ApplyProxy();
  }
}

void ProxyController::ExportProxyList() {
  if (!dialogs_ || !s_.prompts) return;
  std::vector<u16> names;
  std::vector<int> index;
  for (size_t k = 0; k < list_.categories.size(); ++k) {
    if (list_.categories[k].web()) continue;
    names.push_back(list_.categories[k].name);
    index.push_back(int(k));
  }
  auto scheme = dialogs_->AskScheme(names, false);
  if (!scheme) return;
  int k = -1;
  if (scheme->index >= 0 && size_t(scheme->index) < index.size()) {
    k = index[size_t(scheme->index)];
  } else {
    for (size_t i = 0; i < names.size(); ++i)
      if (names[i] == Trim(scheme->typed)) k = index[i];
  }
  if (k < 0) return;
  auto path = s_.prompts->AskSaveFile(list_.categories[size_t(k)].name + u".txt", u"txt",
                                      kProxyListFilter);
  if (!path) return;
  // A file that cannot be written is skipped silently.
  WriteFileAtomic(ToUtf8(*path), ExportProxies(list_.categories[size_t(k)]));
}

void ProxyController::ImportProxyList() {
  if (!dialogs_) return;
  auto path = dialogs_->AskOpenFile(kProxyListFilter);
  if (!path) return;
  std::vector<u16> names;
  std::vector<int> index;
  for (size_t k = 0; k < list_.categories.size(); ++k) {
    if (list_.categories[k].web()) continue;
    names.push_back(list_.categories[k].name);
    index.push_back(int(k));
  }
  auto scheme = dialogs_->AskScheme(names, true);
  if (!scheme) return;
  // The category by the name it has now: the lists may change while the file is read.
  u16 target;
  bool create = false;
  if (scheme->index >= 0 && size_t(scheme->index) < names.size()) {
    target = names[size_t(scheme->index)];
  } else {
    target = Trim(scheme->typed);
    if (target.empty()) return;
    create = true;
  }
  bool clear = scheme->clear;
  std::string file = ToUtf8(*path);
  struct Read {
    std::vector<ProxyEntry> entries;
    size_t skipped = 0;
  };
  auto merge = [this, target, create, clear](Read r) {
    ProxyCategory* c = nullptr;
    for (auto& cat : list_.categories)
      if (!cat.web() && cat.name == target && !create) c = &cat;
    if (!c) {
      ProxyCategory n;
      n.name = target;
      list_.categories.push_back(std::move(n));
      c = &list_.categories.back();
    }
    size_t taken = r.entries.size();
    MergeProxies(*c, std::move(r.entries), clear);
    RequestSave();
    // What came in and what did not: a line left out is never silent.
    if (s_.prompts)
      s_.prompts->Message(Format(kImportReport, int(taken), int(r.skipped)), kAppTitle,
                          r.skipped ? PromptIcon::Warning : PromptIcon::Info);
  };
  auto read = [file]() -> std::optional<Read> {
    std::string bytes;
    if (ReadFileBytes(file, &bytes) != ReadStatus::Ok || bytes.size() > kMaxImportFile)
      return std::nullopt;
    Read r;
    r.entries = ParseImportText(DecodeListText(bytes), &r.skipped);
    return r;
  };
  if (!s_.loop) {
    if (auto r = read()) merge(std::move(*r));
    return;
  }
  // Reading and splitting a large file is no work for the main loop.
  std::weak_ptr<bool> alive = alive_;
  MessageLoop* loop = s_.loop;
  std::thread([read, merge, alive, loop] {
    auto r = read();
    if (!r || !alive.lock()) return;
    loop->Post([merge, alive, r = std::move(*r)]() mutable {
      if (alive.lock()) merge(std::move(r));
    });
  }).detach();
}

}  // namespace zel
