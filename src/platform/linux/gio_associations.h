// The desktop's default applications through GIO: the user's mimeapps.list as GIO reads
// and writes it, the applications as the desktop entries of the XDG data folders.
#pragma once

#include "platform/association_port.h"

namespace zel {

class GioAssociations : public AssociationPort {
 public:
  std::string DefaultFor(const std::string& type) override;
  bool SetDefault(const std::string& type, const std::string& desktopId) override;
  void RemoveAssociation(const std::string& type) override;
  bool HasApplication(const std::string& desktopId) override;
  bool InstallUserEntry(const std::string& desktopId, const std::string& text) override;
  std::optional<std::string> ChoicesFile() override;
  bool RestoreChoicesFile(const std::optional<std::string>& bytes) override;
  bool UserEntryFolderExists() override;
  void RemoveUserEntry(const std::string& desktopId, bool folderToo) override;
};

}  // namespace zel
