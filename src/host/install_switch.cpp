#include "host/install_switch.h"

#include "defbrowser/default_browser.h"

namespace zel {

void RunInstallSwitch(InstallEvent event, AssociationPort& associations,
                      std::shared_ptr<HttpFetcher> fetcher, const std::string& profileFolder,
                      const std::string& launcherPath) {
  switch (event) {
    case InstallEvent::Install:
      SetDefaultBrowser(true, associations, launcherPath);
      ReportInstallEvent(1, std::move(fetcher), profileFolder);
      break;
    case InstallEvent::Uninstall:
      ReportInstallEvent(2, std::move(fetcher), profileFolder);
      SetDefaultBrowser(false, associations, launcherPath);
      break;
    case InstallEvent::None:
      break;
  }
}

}  // namespace zel
