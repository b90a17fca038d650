#include "update/update_controller.h"

#include <gio/gio.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>

#include "base/commands.h"
#include "base/files.h"
#include "platform/message_loop.h"
#include "platform/prompt_port.h"
#include "platform/shell_port.h"
#include "settings/settings_file.h"
#include "update/update_rules.h"

#ifndef ZEL_HOME_PAGE
#define ZEL_HOME_PAGE "http://www.zel-browser.org/"
#endif

namespace zel {

const char kHomePageAddress[] = ZEL_HOME_PAGE;

namespace {
// "https://update.zel-browser.org/zel/update.ini", scrambled with the seed below.
constexpr char kScrambledUpdateAddress[] =
    "3F9D412B650464981B58CC213A5B7A2F11145AC08E9E294B6345E1E5D8833D2ECFDB1AFE59E600DE83E07B1ACC";
constexpr uint32_t kAddressSeed = 0x7A656C31;
// The description and the package: how long a transfer may take in all.
constexpr int kDescriptionTimeoutS = 30;
constexpr int kPackageTimeoutS = 600;
}  // namespace

std::string UpdateAddress() {
  const char* env = std::getenv("ZEL_UPDATE_URL");
  if (env && *env) return env;
  return UnscrambleText(kScrambledUpdateAddress, kAddressSeed);
}

std::string UpdateFolder(const std::string& programFolder, const std::string& profileFolder) {
  if (!programFolder.empty() && access(programFolder.c_str(), W_OK) == 0)
    return JoinPath(programFolder, "update");
  return JoinPath(profileFolder, "update");
}

// One running check: its thread and what the main thread needs to give it up.
struct UpdateController::Worker {
  std::thread thread;
  std::atomic<bool> done{false};
  std::mutex mu;
  std::condition_variable cv;
  bool givenUp = false;
  FetchCancel fetch;

  void GiveUp() {
    {
      std::lock_guard<std::mutex> l(mu);
      givenUp = true;
    }
    cv.notify_all();
    fetch.Cancel();
  }
};

// The worker's side: downloads on its thread, prompts and the exit on the main loop.
class UpdateController::Env : public UpdateEnv {
 public:
  Env(Worker& w, HttpFetcher& fetcher, MessageLoop& loop, PromptPort* prompts, ShellPort* shell,
      TabHost* tabs, std::weak_ptr<bool> alive, EngineProxy proxy)
      : w_(w), fetcher_(fetcher), loop_(loop), prompts_(prompts), shell_(shell),
        tabs_(tabs), alive_(std::move(alive)), proxy_(std::move(proxy)) {}

  void Notify(u16view) override {
    // The texts are neither shown nor recorded.
  }

  bool Download(const std::string& url, const std::string& path, size_t maxBytes) override {
    HttpRequest req;
    req.url = url;
    req.path = path;
    req.maxBytes = maxBytes;
    req.timeoutSeconds = maxBytes > (1u << 20) ? kPackageTimeoutS : kDescriptionTimeoutS;
    req.noCache = true;
    req.proxy = proxy_;
    req.secureOnly = true;
    return fetcher_.Fetch(req, &w_.fetch);
  }

  void ShowMessage(u16view text) override {
    OnMainLoop([this, t = u16(text)] {
      if (prompts_) prompts_->Message(t, kAppTitle, PromptIcon::Info);
      return true;
    });
  }

  bool AskYesNo(u16view text) override {
    // The update's question tells the user to press the confirm button: its buttons say so.
    return OnMainLoop([this, t = u16(text)] {
      return prompts_ &&
             prompts_->AskYesNo(t, kAppTitle, PromptIcon::Question, AnswerLabels::ConfirmCancel);
    });
  }

  bool Wait(int ms) override {
    std::unique_lock<std::mutex> l(w_.mu);
    w_.cv.wait_for(l, std::chrono::milliseconds(ms), [this] { return w_.givenUp; });
    return !w_.givenUp;
  }

  bool OpenPackage(const std::string& path) override {
    return OnMainLoop([this, p = FromUtf8(path)] { return shell_ && shell_->OpenLocation(p); });
  }

  void ExitBrowser() override {
    // As the user's Exit would: through the frame's command, with its shutdown.
    loop_.Post([alive = alive_, tabs = tabs_] {
      if (!alive.expired()) tabs->PostCommand(cmd::kExit);
    });
  }

 private:
  // Runs fn on the main loop and waits for its answer; false when the frame went away or
  // the check was given up first.
  bool OnMainLoop(std::function<bool()> fn) {
    struct Reply {
      std::mutex mu;
      bool done = false, value = false;
    };
    auto reply = std::make_shared<Reply>();
    Worker* w = &w_;
    loop_.Post([alive = alive_, fn = std::move(fn), reply, w] {
      bool value = !alive.expired() && fn();
      {
        std::lock_guard<std::mutex> l(reply->mu);
        reply->done = true;
        reply->value = value;
      }
      // The worker is still there: the frame gives its checks up and joins them before it goes.
      if (!alive.expired()) {
        std::lock_guard<std::mutex> l(w->mu);
        w->cv.notify_all();
      }
    });
    std::unique_lock<std::mutex> l(w_.mu);
    for (;;) {
      {
        std::lock_guard<std::mutex> r(reply->mu);
        if (reply->done) return reply->value;
      }
      if (w_.givenUp) return false;
      w_.cv.wait_for(l, std::chrono::milliseconds(200));
    }
  }

  Worker& w_;
  HttpFetcher& fetcher_;
  MessageLoop& loop_;
  PromptPort* prompts_;
  ShellPort* shell_;
  TabHost* tabs_;
  std::weak_ptr<bool> alive_;
  EngineProxy proxy_;
};

UpdateController::UpdateController(FrameServices& s, Hooks hooks)
    : s_(s), hooks_(std::move(hooks)) {
  s_.commands.Add(cmd::kOnlineUpdate, [this] { StartUpdateCheck(true); });
  s_.commands.Add(cmd::kVisitHomePage, [this] {
    s_.tabs.OpenUrl(FromUtf8(kHomePageAddress),
                    {.tab = TabChoice::New, .start = StartKind::Address, .show = true});
    StartUpdateCheck(true);
  });
  if (s_.loop) s_.loop->SetTimer(this, msg::kUpdateTimer, kUpdateFirstCheckMs, [this] { OnTimer(); });
}

UpdateController::~UpdateController() {
  alive_.reset();
  if (s_.loop) s_.loop->KillTimer(this, msg::kUpdateTimer);
  GiveUpAll();
}

bool UpdateController::Online() const {
  if (hooks_.offlineSwitch && hooks_.offlineSwitch()) return false;
  if (online_) return online_();
  GNetworkMonitor* monitor = g_network_monitor_get_default();
  return monitor && g_network_monitor_get_network_available(monitor);
}

void UpdateController::OnTimer() {
  if (s_.loop) s_.loop->SetTimer(this, msg::kUpdateTimer, kUpdateHourlyMs, [this] { OnTimer(); });
  StartUpdateCheck(false);
}

void UpdateController::StartUpdateCheck(bool manual) {
  if (!fetcher_ || !s_.loop) return;
  // 1: offline, the next try is in five minutes.
  if (!Online()) {
    s_.loop->SetTimer(this, msg::kUpdateTimer, kUpdateOfflineMs, [this] { OnTimer(); });
    return;
  }
  // 2: the client, filled anew; a check still running goes on beside this one.
  JoinFinished();
  const std::string program = SettingsFile::BaseFolder();
  const std::string profile = JoinPath(program, SettingsFile::ProfileSub());
  client_.title = kProductName;
  client_.version = kRunningVersion;
  client_.package = kUpdatePackageName;
  client_.folder = UpdateFolder(program, profile);
  client_.updateAddress = UpdateAddress();
  client_.logPath = JoinPath(client_.folder, "updatelog.txt");
  client_.manual = manual;
  auto w = std::make_unique<Worker>();
  Worker* raw = w.get();
  auto env = std::make_shared<Env>(*raw, *fetcher_, *s_.loop, s_.prompts, s_.shell, &s_.tabs,
                                   alive_, hooks_.proxy ? hooks_.proxy() : EngineProxy{});
  raw->thread = std::thread([raw, env, client = client_]() mutable {
    RunUpdateCheck(client, *env);
    raw->done = true;
  });
  workers_.push_back(std::move(w));
}

bool UpdateController::checking() const {
  for (const auto& w : workers_)
    if (!w->done) return true;
  return false;
}

void UpdateController::JoinFinished() {
  for (auto it = workers_.begin(); it != workers_.end();) {
    if ((*it)->done) {
      (*it)->thread.join();
      it = workers_.erase(it);
    } else {
      ++it;
    }
  }
}

void UpdateController::GiveUpAll() {
  for (auto& w : workers_) w->GiveUp();
  for (auto& w : workers_)
    if (w->thread.joinable()) w->thread.join();
  workers_.clear();
}

void UpdateController::OnShutdown() {
  if (s_.loop) s_.loop->KillTimer(this, msg::kUpdateTimer);
  GiveUpAll();
}

}  // namespace zel
