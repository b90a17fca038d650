// One update check, start to end, as it runs on its worker thread: the description is
// fetched over https (with retries), the offered version compared, the package downloaded
// over https and checked against the offer's SHA-256, the user asked, the package started
// and the browser closed. Everything outside the client's own
// data goes through UpdateEnv, so the order of it can be followed step by step.
#pragma once

#include <string>

#include "base/text.h"

namespace zel {

// The client, filled before each check.
struct UpdateClient {
  u16 title;                  // the product name
  u16 version;                // the running version
  std::string package;        // the package's file name
  std::string folder;         // where the description and the package go (no trailing "/")
  std::string updateAddress;  // the address of update.ini
  std::string logPath;        // folder + "/updatelog.txt" (kept, never written)
  std::string description;    // the last fetched update.ini, or "err"
  bool manual = false;        // the user asked for this check
};

// What the worker does outside the client. Called on the worker thread.
class UpdateEnv {
 public:
  virtual ~UpdateEnv() = default;
  // A status text of the check.
  virtual void Notify(u16view text) = 0;
  // Downloads an https address into a file, never from a cache, only from a server whose
  // certificate is valid and never over a redirect to plain http. False on any failure,
  // with no file at path then.
  virtual bool Download(const std::string& url, const std::string& path, size_t maxBytes) = 0;
  // A message box with OK, modal to the window.
  virtual void ShowMessage(u16view text) = 0;
  // A Yes/No question; true for Yes.
  virtual bool AskYesNo(u16view text) = 0;
  // Waits ms milliseconds; false when the check is being given up meanwhile.
  virtual bool Wait(int ms) = 0;
  // Opens the package with the desktop's handler for its type; false when nothing did.
  virtual bool OpenPackage(const std::string& path) = 0;
  // Sends the window the exit command.
  virtual void ExitBrowser() = 0;
};

// The status texts and the message of the safety checks.
inline constexpr char16_t kInsecureAddressText[] = u"升级地址不是HTTPS地址，不下载";
inline constexpr char16_t kNoDigestText[] = u"更新文件没有安装包的SHA256校验值，不下载更新包";
inline constexpr char16_t kDigestMismatchText[] = u"更新包的SHA256校验值不符，已删除下载的文件";
inline constexpr char16_t kUnreachableText[] = u"无法连接升级服务器（或服务器的证书无效），请稍后再试。";

inline constexpr int kUpdateRetryWaitMs = 300000;
inline constexpr int kUpdateFetchRetries = 3;
inline constexpr int kUpdateStartWaitMs = 4000;
inline constexpr size_t kUpdatePackageMax = size_t(1) << 30;

// The worker. The client's description is updated with what was fetched.
void RunUpdateCheck(UpdateClient& client, UpdateEnv& env);

// The fetch of the description: into folder + "/update.ini", read, deleted, cut to 510
// bytes. False on failure, with the description "err".
bool FetchUpdateDescription(UpdateClient& client, UpdateEnv& env);

// The package address as it is requested: the text after "URL=" without the line break and
// blanks the file ends with.
std::string PackageRequestUrl(const std::string& written);

}  // namespace zel
