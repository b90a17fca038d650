// The update client of the frame: the automatic check (timer 3: 5 seconds after start, then
// hourly, every 5 minutes while offline), "在线升级" (901) and "访问主页" (905). Each check
// runs on a worker thread of its own; its questions and its exit command come back to the
// main loop.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "services/frame_controller.h"
#include "services/frame_services.h"
#include "services/http_fetch.h"
#include "update/update_worker.h"

namespace zel {

inline constexpr char16_t kProductName[] = u"Zel";
inline constexpr char16_t kRunningVersion[] = u"1.01";
// The package: a Debian package, opened by the desktop's package installer.
inline constexpr char kUpdatePackageName[] = "zel-update.deb";
// The project's home page (905); the build sets it (ZEL_HOME_PAGE, as the About box shows).
extern const char kHomePageAddress[];
inline constexpr int kUpdateFirstCheckMs = 5000;
inline constexpr int kUpdateHourlyMs = 3600000;
inline constexpr int kUpdateOfflineMs = 300000;

// The update address the program carries (scrambled), or ZEL_UPDATE_URL when it is set.
std::string UpdateAddress();
// Where the package goes: "update" in the program folder when that can be written, else
// "update" in the profile folder.
std::string UpdateFolder(const std::string& programFolder, const std::string& profileFolder);

class UpdateController : public FrameController {
 public:
  struct Hooks {
    std::function<bool()> offlineSwitch;  // the address box's "脱机工作"
    std::function<EngineProxy()> proxy;   // the proxy the pages use
  };
  UpdateController(FrameServices& s, Hooks hooks);
  ~UpdateController() override;

  // The downloads of the checks (the toolkit's HTTP client); none: no check runs.
  void SetFetcher(HttpFetcher* fetcher) { fetcher_ = fetcher; }
  // Whether the computer counts as online: the desktop's network monitor and the offline
  // switch. Replaceable for tests of the offline path.
  void SetOnlineCheck(std::function<bool()> online) { online_ = std::move(online); }

  void StartUpdateCheck(bool manual);
  // A check is running (its worker has not ended).
  bool checking() const;
  // The client as the last check was started with.
  const UpdateClient& lastClient() const { return client_; }

  void OnShutdown() override;

 private:
  struct Worker;
  class Env;
  bool Online() const;
  void OnTimer();
  void JoinFinished();
  void GiveUpAll();

  FrameServices s_;
  Hooks hooks_;
  HttpFetcher* fetcher_ = nullptr;
  std::function<bool()> online_;
  UpdateClient client_;
  std::vector<std::unique_ptr<Worker>> workers_;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace zel
