// SkinController: the current skin (GENERAL/skin, a folder under "skin/" beside the
// program), loading and reloading it, the skin menu (one entry per sub-folder holding
// mskin.ini, commands 3841...), the window border (1199, remembered in the skin's own
// mskin.ini), the custom frame's window buttons, and the language menu (the string tables
// in "Language/", commands 2101...).
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "services/frame_controller.h"
#include "services/frame_services.h"
#include "skin/skin_data.h"
#include "skin/skin_files.h"
#include "skin/skin_view.h"

namespace zel {

// The skin menu's rows after its fixed items.
struct SkinMenuEntry {
  u16 text;
  int id = 0;
};
struct SkinMenu {
  std::vector<SkinMenuEntry> skins;
  std::vector<SkinMenuEntry> languages;  // the built-in language first
};

inline constexpr char16_t kDefaultSkin[] = u"Default";
inline constexpr char16_t kBuiltInLanguage[] = u"中文(简体)";

class SkinController : public FrameController {
 public:
  SkinController(FrameServices& services, std::function<u16()> programFolder);
  ~SkinController() override;

  void SetView(SkinView* view) { view_ = view; }
  // Told when the skin menu's list was built (the window then asks MenuIfStale before the
  // menu is next shown).
  void SetMenuChanged(std::function<void()> changed) { menuChanged_ = std::move(changed); }
  // Frame creation: the skin of the settings (or "Default" when its folder is not there)
  // is loaded and its CustomFrame sets the border.
  void LoadStartSkin();
  // Loads the skin of a folder holding mskin.ini (false, the skin unchanged, otherwise).
  bool LoadSkin(const std::string& folder);
  void ReloadSkin();
  // The skin of that name; "Default" when its folder is not there.
  void SelectSkin(u16view name);
  // 1199: the system border or the skin's caption, written to the skin's mskin.ini.
  void ToggleWindowBorder();

  const SkinData& skin() const { return skin_; }
  const u16& currentName() const { return name_; }
  std::string currentFolder() const { return folder_; }
  // Where the skin folders are: "skin/" in the program folder, else beside the executable,
  // else the installed one.
  std::string SkinRoot() const;
  // The menu's rows, made the first time they are needed; nullopt when they are as last
  // asked.
  std::optional<SkinMenu> MenuIfStale();
  const SkinMenu& menu();

  // FrameController
  void OnDeferredStartup() override;

 private:
  void Apply();
  void BuildMenu();

  FrameServices services_;
  std::function<u16()> programFolder_;
  SkinView* view_ = nullptr;
  SkinData skin_;
  u16 name_;
  std::string folder_;
  bool loadedOnce_ = false;
  std::optional<SkinMenu> menu_;
  bool menuTaken_ = false;
  std::function<void()> menuChanged_;
  std::vector<LanguageFile> languages_;
  std::string languageFile_;  // the chosen language's file name; empty for the built-in one
  SkinImageFiles files_;
};

}  // namespace zel
