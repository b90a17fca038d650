// The desktop's table of default applications as the core sees it: which application
// handles a content type ("text/html") or an address scheme ("x-scheme-handler/http"),
// named by its desktop id ("zel.desktop"). The Linux implementation goes through GIO
// (platform/linux/gio_associations); tests use a table in memory.
#pragma once

#include <optional>
#include <string>

namespace zel {

class AssociationPort {
 public:
  virtual ~AssociationPort() = default;

  // The desktop id of the type's default application; empty when it has none.
  virtual std::string DefaultFor(const std::string& type) = 0;
  // Makes the application the type's default. False when the desktop knows no application
  // of that id or the choice could not be written.
  virtual bool SetDefault(const std::string& type, const std::string& desktopId) = 0;
  // Takes back every choice this user made for the type (the default with it), so the
  // desktop's own default applies again.
  virtual void RemoveAssociation(const std::string& type) = 0;
  // Whether the desktop knows an application of that id.
  virtual bool HasApplication(const std::string& desktopId) = 0;
  // Writes a desktop entry into the user's own applications folder and returns once the
  // desktop knows it; false when it could not be written.
  virtual bool InstallUserEntry(const std::string& desktopId, const std::string& text) = 0;

  // The user's own choices file (mimeapps.list) as it is now; nothing when there is none.
  virtual std::optional<std::string> ChoicesFile() { return std::nullopt; }
  // Puts the choices file back to these bytes, or removes it for nothing.
  virtual bool RestoreChoicesFile(const std::optional<std::string>& /*bytes*/) { return false; }
  // Whether the user's applications folder exists.
  virtual bool UserEntryFolderExists() { return true; }
  // Removes a desktop entry InstallUserEntry wrote, and the folder with it when folderToo
  // (it was made for the entry and holds nothing else).
  virtual void RemoveUserEntry(const std::string& /*desktopId*/, bool /*folderToo*/) {}
};

}  // namespace zel
