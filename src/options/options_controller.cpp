#include "options/options_controller.h"

#include <glib.h>

#include "base/commands.h"
#include "platform/prompt_port.h"
#include "platform/shell_port.h"
#include "services/command_registry.h"
#include "view/vop_view.h"

namespace zel {

namespace {
// The desktop's settings program and its network panel.
constexpr char16_t kSettingsProgram[] = u"gnome-control-center";
constexpr char16_t kNetworkPanel[] = u"network";

u16 FindInPath(u16view name) {
  gchar* path = g_find_program_in_path(ToUtf8(name).c_str());
  u16 found = path ? FromUtf8(path) : u16();
  g_free(path);
  return found;
}
}  // namespace

OptionsController::OptionsController(const FrameServices& services, Hooks hooks)
    : s_(services), hooks_(std::move(hooks)) {
  if (!hooks_.findProgram) hooks_.findProgram = FindInPath;
  s_.commands.Add(cmd::kOptions, [this] { ShowOptions(); });
  s_.commands.Add(cmd::kInternetOptions, [this] { OpenInternetOptions(); });
}

void OptionsController::ShowOptions() {
  if (!dialog_) return;
  std::optional<OptionsValues> confirmed =
      dialog_->EditOptions(OptionsFromSettings(s_.settings), *this);
  if (!confirmed) return;
  ApplyOptions(*confirmed, s_.settings);
  if (!SaveOptions(s_.settings)) s_.tabs.SetStatusText(u"设置文件无法写入: config.ini");
}

void OptionsController::OpenInternetOptions() {
  u16 program = hooks_.findProgram(kSettingsProgram);
  if (!program.empty() && s_.shell && s_.shell->StartProgram(program, kNetworkPanel, u""))
    return;
  if (s_.commands.Has(cmd::kProxyDialog)) s_.commands.Run(cmd::kProxyDialog);
}

u16 OptionsController::ActivePageAddress() {
  CVOPView* v = s_.tabs.ActiveView();
  return v ? v->CurrentAddress() : u16();
}

void OptionsController::MakeDefaultBrowser() {
  if (!hooks_.makeDefaultBrowser) return;
  bool done = hooks_.makeDefaultBrowser();
  if (!s_.prompts) return;
  // A registration the desktop refused is said as such, never as a success.
  if (done)
    s_.prompts->Message(u"设置成功", kAppTitle, PromptIcon::Info);
  else
    s_.prompts->Message(u"无法将Zel浏览器设置为默认浏览器", kAppTitle, PromptIcon::Warning);
}

}  // namespace zel
