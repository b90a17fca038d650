#include "update/update_worker.h"

#include <cstdio>

#include "base/files.h"
#include "update/update_rules.h"

namespace zel {

namespace {
// The fetched description is read whole before it is cut; anything longer is no description.
constexpr size_t kDescriptionFetchMax = 64 * 1024;
}  // namespace

std::string PackageRequestUrl(const std::string& written) {
  size_t end = written.size();
  while (end > 0 && (written[end - 1] == '\r' || written[end - 1] == '\n' ||
                     written[end - 1] == ' ' || written[end - 1] == '\t' || written[end - 1] == '\0'))
    --end;
  size_t begin = 0;
  while (begin < end && (written[begin] == ' ' || written[begin] == '\t')) ++begin;
  return written.substr(begin, end - begin);
}

bool FetchUpdateDescription(UpdateClient& client, UpdateEnv& env) {
  if (client.updateAddress.empty() || client.folder.empty()) return false;
  std::string path = JoinPath(client.folder, "update.ini");
  if (!env.Download(client.updateAddress, path, kDescriptionFetchMax)) {
    client.description = kFailedDescription;
    return false;
  }
  std::optional<std::string> bytes = ReadFileBytes(path);
  std::remove(path.c_str());
  if (!bytes) {
    client.description = kFailedDescription;
    return false;
  }
  client.description = CutDescription(*bytes);
  return true;
}

void RunUpdateCheck(UpdateClient& c, UpdateEnv& env) {
  // 1: the client's fields.
  if (c.folder.empty()) return env.Notify(u"指定下载存放路径不能为空！");
  CreateFolderLevels(c.folder);
  if (c.version.empty()) return env.Notify(u"版本号不能为空！");
  if (c.updateAddress.empty()) return env.Notify(u"指定升级的URL不能为空！");
  // Whoever is on the network path must not choose what the user installs.
  if (!IsSecureUpdateAddress(c.updateAddress)) return env.Notify(kInsecureAddressText);
  if (c.package.empty()) return env.Notify(u"指定的升级安装包文件名不能为空！");
  if (c.title.empty()) return env.Notify(u"指定标题不能为空！");
  // 2
  c.logPath = JoinPath(c.folder, "updatelog.txt");
  // 3: at most four attempts, five minutes apart.
  for (int retries = 0; !FetchUpdateDescription(c, env) && retries < kUpdateFetchRetries;
       ++retries) {
    env.Notify(u"网络故障");
    // The user who asked hears it now rather than after a quarter of an hour of retries.
    if (c.manual) return env.ShowMessage(kUnreachableText);
    if (!env.Wait(kUpdateRetryWaitMs)) return;
  }
  // 4
  std::optional<std::string> offered = DescriptionVersion(c.description, c.manual ? "VET" : "VER");
  if (!offered) return env.Notify(u"更新文件格式有错 ");
  if (!IsNewerVersion(*offered, ToUtf8(c.version))) {
    if (c.manual) env.ShowMessage(u"目前没有新版本，您的版本已经是最新。");
    return env.Notify(u"已经是最新版本");
  }
  // 5
  std::optional<std::string> url = DescriptionPackageUrl(c.description);
  std::string package = JoinPath(c.folder, c.package);
  if (!url || PackageRequestUrl(*url).empty()) return env.Notify(u"下载更新包出错 ");
  // Only a package the offer vouches for, fetched where nobody on the way can change it.
  const std::optional<std::string> digest = DescriptionPackageDigest(c.description);
  if (!digest) return env.Notify(kNoDigestText);
  if (!IsSecureUpdateAddress(PackageRequestUrl(*url))) return env.Notify(kInsecureAddressText);
  if (!env.Download(PackageRequestUrl(*url), package, kUpdatePackageMax))
    return env.Notify(u"下载更新包出错 ");
  if (FileSha256(package) != digest) {
    std::remove(package.c_str());
    return env.Notify(kDigestMismatchText);
  }
  // 6
  env.Notify(u"下载成功");
  if (!env.AskYesNo(u"更新信息：\n\n升级程序成功下载了最新版本，点击确认按钮,将自动升级到最新版本!\n"))
    return;
  // 7
  if (!env.Wait(kUpdateStartWaitMs)) return;
  if (!FileExists(package)) return env.Notify(u"找不到update.exe文件");
  // What is opened is what was checked.
  if (FileSha256(package) != digest) {
    std::remove(package.c_str());
    return env.Notify(kDigestMismatchText);
  }
  // A package nothing on this desktop can open leaves the browser running.
  if (!env.OpenPackage(package)) return env.Notify(u"找不到update.exe文件");
  // 8
  env.Notify(u"更新新版本");
  env.ExitBrowser();
}

}  // namespace zel
