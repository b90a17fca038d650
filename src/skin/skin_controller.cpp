#include "skin/skin_controller.h"

#include "base/commands.h"
#include "base/files.h"
#include "platform/message_loop.h"
#include "skin/skin_css.h"
#include "skin/skin_reader.h"

#ifndef ZEL_SKIN_INSTALL_DIR
#define ZEL_SKIN_INSTALL_DIR ""
#endif

namespace zel {

namespace {
// Timer 1: the skin menu is built once, a second after the deferred start-up.
constexpr int kSkinMenuTimer = 1;
constexpr int kSkinMenuTimerMs = 1000;
}  // namespace

SkinController::SkinController(FrameServices& services, std::function<u16()> programFolder)
    : services_(services), programFolder_(std::move(programFolder)) {
  CommandRegistry& c = services.commands;
  for (int id = cmd::kSkinFirst; id <= cmd::kSkinLast; ++id) {
    const size_t i = size_t(id - cmd::kSkinFirst);
    c.Add(id, [this, i] {
       if (i < menu().skins.size()) SelectSkin(menu().skins[i].text);
     }).Checked([this, i] {
      return menu_ && i < menu_->skins.size() && EqualsNoCase(menu_->skins[i].text, name_);
    });
  }
  c.Add(cmd::kSkinMenu, [this] {
    if (view_) view_->OpenSkinMenu();
  });
  c.Add(cmd::kWindowBorder, [this] { ToggleWindowBorder(); }).Checked([this] {
    return !view_ || !view_->CustomFrame();
  });
  for (int id : {cmd::kWindowMinimize, cmd::kWindowMaximize, cmd::kWindowRestore, cmd::kWindowClose})
    c.Add(id, [this, id] {
      if (view_) view_->WindowCommand(id);
    });
  // The built-in language and the language files: choosing one marks it for the run (the
  // program's texts are its own; nothing is loaded from the file).
  c.Add(cmd::kLanguageBuiltIn, [this] { languageFile_.clear(); }).Checked([this] {
    return languageFile_.empty();
  });
  for (int id = cmd::kLanguageFirst; id <= cmd::kLanguageLast; ++id) {
    const size_t i = size_t(id - cmd::kLanguageFirst);
    c.Add(id, [this, i] {
       if (i < languages_.size()) languageFile_ = languages_[i].file;
     }).Checked([this, i] { return i < languages_.size() && languages_[i].file == languageFile_; });
  }
}

SkinController::~SkinController() {
  if (services_.loop) services_.loop->KillTimer(this, kSkinMenuTimer);
}

std::string SkinController::SkinRoot() const {
  std::string program = programFolder_ ? ToUtf8(programFolder_()) : std::string();
  std::vector<std::string> roots;
  if (!program.empty()) roots.push_back(JoinPath(program, "skin"));
  if (std::string exe = ExecutableFolder(); !exe.empty()) roots.push_back(JoinPath(exe, "skin"));
  if (*ZEL_SKIN_INSTALL_DIR) roots.push_back(ZEL_SKIN_INSTALL_DIR);
  for (const std::string& r : roots)
    if (DirExists(r)) return r;
  return roots.empty() ? std::string("skin") : roots.front();
}

void SkinController::LoadStartSkin() {
  u16 name = services_.settings.skin;
  std::string root = SkinRoot();
  if (name.empty() || !DirExists(JoinPath(root, ToUtf8(name)))) name = u"default";
  SelectSkin(name);
}

bool SkinController::LoadSkin(const std::string& folder) {
  OtherImageDecoder other;
  if (view_) other = [v = view_](std::string_view bytes) { return v->DecodeImage(bytes); };
  if (!LoadSkinFolder(folder, other, skin_)) return false;
  if (!loadedOnce_) {
    loadedOnce_ = true;
    if (view_) view_->SetCustomFrame(skin_.customFrame != 0);
  }
  return true;
}

void SkinController::ReloadSkin() {
  if (folder_.empty()) return;
  // A folder without mskin.ini leaves the skin as it was.
  if (!LoadSkin(folder_)) return;
  Apply();
}

void SkinController::Apply() {
  if (!view_) return;
  files_.BeginSheet();
  view_->ApplyStyle(SkinCss(skin_, [this](const SkinImagePtr& image) { return files_.UrlOf(image); }));
  files_.EndSheet();
  view_->SetWindowIcon(skin_.captionIcon);
  view_->SetFrameCornerRadius(skin_.cornerRadius);
  view_->SetTreeIcons(skin_.pageIcon, skin_.folderCloseIcon, skin_.folderOpenIcon);
  services_.tabs.RefreshCommandStates();
}

void SkinController::SelectSkin(u16view name) {
  std::string root = SkinRoot();
  std::string folder = JoinPath(root, ToUtf8(name));
  if (name.empty() || !DirExists(folder)) folder = JoinPath(root, ToUtf8(kDefaultSkin));
  if (!DirExists(folder)) return;
  folder_ = folder;
  name_ = FromUtf8(BaseName(folder));
  services_.settings.skin = name_;
  ReloadSkin();
}

void SkinController::ToggleWindowBorder() {
  if (!view_) return;
  const bool custom = !view_->CustomFrame();
  view_->SetCustomFrame(custom);
  if (!folder_.empty()) WriteCustomFrame(folder_, custom);
}

void SkinController::BuildMenu() {
  SkinMenu m;
  std::vector<u16> names = ListSkinFolders(SkinRoot());
  for (size_t i = 0; i < names.size() && cmd::kSkinFirst + int(i) <= cmd::kSkinLast; ++i)
    m.skins.push_back({names[i], cmd::kSkinFirst + int(i)});
  std::string program = programFolder_ ? ToUtf8(programFolder_()) : std::string();
  languages_ = ListLanguageFiles(JoinPath(program.empty() ? "." : program, "Language"));
  if (languages_.size() > size_t(cmd::kLanguageLast - cmd::kLanguageFirst + 1))
    languages_.resize(size_t(cmd::kLanguageLast - cmd::kLanguageFirst + 1));
  m.languages.push_back({kBuiltInLanguage, cmd::kLanguageBuiltIn});
  for (size_t i = 0; i < languages_.size(); ++i)
    m.languages.push_back({languages_[i].name, cmd::kLanguageFirst + int(i)});
  menu_ = std::move(m);
  menuTaken_ = false;
  if (menuChanged_) menuChanged_();
}

const SkinMenu& SkinController::menu() {
  if (!menu_) BuildMenu();
  return *menu_;
}

std::optional<SkinMenu> SkinController::MenuIfStale() {
  menu();
  if (menuTaken_) return std::nullopt;
  menuTaken_ = true;
  return menu_;
}

void SkinController::OnDeferredStartup() {
  if (folder_.empty()) LoadStartSkin();
  if (!services_.loop) return;
  services_.loop->SetTimer(this, kSkinMenuTimer, kSkinMenuTimerMs, [this] {
    services_.loop->KillTimer(this, kSkinMenuTimer);
    if (!menu_) BuildMenu();
  });
}

}  // namespace zel
