// The installer's switches as the first argument: "-Install" makes Zel the default browser
// and reports the install; "-Uninstall" reports the uninstall and gives the handling back.
// Neither opens a window; the process ends after the report's fixed wait.
#pragma once

#include <memory>
#include <string>

#include "platform/association_port.h"
#include "services/http_fetch.h"
#include "update/install_ping.h"

namespace zel {

// Runs the switch's steps in their order. The settings location must be set and
// config.ini prepared (the saved defaults go there).
void RunInstallSwitch(InstallEvent event, AssociationPort& associations,
                      std::shared_ptr<HttpFetcher> fetcher, const std::string& profileFolder,
                      const std::string& launcherPath);

}  // namespace zel
