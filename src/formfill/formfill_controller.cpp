#include "formfill/formfill_controller.h"

#include <unistd.h>

#include "base/commands.h"
#include "base/files.h"
#include "formfill/form_codec.h"
#include "formfill/form_commands.h"
#include "formfill/form_data_file.h"
#include "formfill/form_dialogs_view.h"
#include "formfill/form_manager.h"
#include "platform/key_state.h"
#include "platform/prompt_port.h"
#include "res/page_scripts.h"
#include "settings/frame_settings.h"
#include "settings/settings_file.h"
#include "view/vop_view.h"

namespace zel {

namespace {
constexpr char16_t kMasterSection[] = u"Settings";
constexpr char16_t kMasterKey[] = u"FormMainPwd";

u16 PageAddress(CVOPView* v) {
  u16 url = v->CurrentAddress();
  return url.empty() ? v->GetLocationURL() : url;
}
}  // namespace

FormFillController::FormFillController(const FrameServices& services) : s_(services) {
  CommandRegistry& c = s_.commands;
  auto onTab = [this] { return s_.tabs.ActiveView() != nullptr; };
  c.Add(cmd::kFormSave, [this] { SaveForm(false); }).Enabled(onTab);
  c.Add(cmd::kFormSaveGeneral, [this] { SaveForm(true); }).Enabled(onTab);
  c.Add(cmd::kFormFill, [this] { FillForm(); }).Enabled(onTab);
  c.Add(cmd::kFormManager, [this] { ShowManager(); });
  // Every saved form goes, password-guarded ones included: asked first.
  c.Add(cmd::kClearFormData, [this] {
    if (s_.prompts && !s_.prompts->AskYesNo(kDeleteAllQuestion, kAppTitle, PromptIcon::Question))
      return;
    DeleteFormData();
  });
  c.Add(cmd::kDeleteFormDataAsked, [this] { DeleteFormData(); });
}

FormFillController::~FormFillController() { alive_.reset(); }

std::string FormFillController::DataPath() { return SettingsFile::ResolvePath(kFormDataFileName); }
std::string FormFillController::PasswordPath() {
  return SettingsFile::ResolvePath(kFormPasswordFileName);
}

void FormFillController::OnSettingsLoaded() {
  // Loading the settings clears the master password; the one kept in its file comes back,
  // so a password set once guards the manager in later runs too.
  master_.clear();
  std::string bytes;
  if (ReadFileBytes(PasswordPath(), &bytes) == ReadStatus::Ok)
    master_ = IniDocument::Parse(bytes).Get(kMasterSection, kMasterKey).value_or(u"");
}

void FormFillController::SetMasterPassword(const u16& encoded) {
  if (encoded == master_) return;
  std::string bytes;
  ReadStatus read = ReadFileBytes(PasswordPath(), &bytes);
  if (read == ReadStatus::Failed) return;
  IniDocument doc = IniDocument::Parse(read == ReadStatus::Ok ? bytes : std::string());
  doc.Set(kMasterSection, kMasterKey, encoded);
  if (WritePrivateFile(PasswordPath(), doc.Serialize())) master_ = encoded;
}

void FormFillController::WalkFields(CVOPView* view,
                                    std::function<void(std::vector<PageField>)> done) {
  std::weak_ptr<bool> alive = alive_;
  view->RunScript(FromUtf8(kFormFieldsJs) + u"()", [alive, done](const ScriptResult& r) {
    if (!alive.lock() || !r.ok) return;
    std::optional<u16> report = JsonStringValue(r.json);
    if (!report) return;
    done(ParseFieldReport(*report));
  });
}

void FormFillController::SaveForm(bool general) {
  CVOPView* v = s_.tabs.ActiveView();
  if (!v) return;
  u16 section = general ? u16(kGeneralSection) : PageAddress(v);
  if (section.empty()) return;
  bool encrypt = s_.settings.encryform;
  WalkFields(v, [this, section, general, encrypt](std::vector<PageField> fields) {
    SavedValues saved = ValuesToSave(fields, encrypt);
    FormDataFile file(DataPath());
    if (!file.Load()) return;
    IniDocument& doc = file.doc();
    std::vector<IniDocument::Change> changes;
    bool changed = false;
    if (!general) {
      // The page's password and submit flag outlive a new save of its values.
      std::optional<u16> pwd = doc.Get(section, kFillPasswordKey);
      std::optional<u16> submit = doc.Get(section, kAutoSubmitKey);
      changed = doc.RemoveSection(section);
      if (pwd && !pwd->empty()) changes.push_back({section, kFillPasswordKey, *pwd});
      if (submit) changes.push_back({section, kAutoSubmitKey, *submit});
    }
    for (auto& [name, value] : saved.entries) changes.push_back({section, name, value});
    if (doc.Apply(changes)) changed = true;
    // A page without named fields leaves the file as it was.
    if (changed && !file.Save()) return;
    if (saved.count > 0) s_.tabs.SetStatusText(kSavedCount + Format(u"%d", saved.count));
  });
}

bool FormFillController::CheckPassword(const u16& encoded) {
  if (!dialogs_) return false;
  std::optional<u16> typed = dialogs_->AskPassword();
  if (!typed) return false;
  if (EncodePassword(*typed) != encoded) {
    if (s_.prompts) s_.prompts->Message(kWrongPassword);
    return false;
  }
  return true;
}

void FormFillController::FillForm() {
  CVOPView* v = s_.tabs.ActiveView();
  if (!v) return;
  u16 url = PageAddress(v);
  if (url.empty()) return;
  FormDataFile file(DataPath());
  if (!file.Load()) return;
  std::optional<u16> section = file.SectionFor(url);
  if (!section) return;
  u16 pwd = file.doc().Get(*section, kFillPasswordKey).value_or(u"");
  if (!pwd.empty() && !CheckPassword(pwd)) return;
  bool submit = AutoSubmitOn(file.doc().Get(*section, kAutoSubmitKey).value_or(u""),
                             s_.keys && s_.keys->Ctrl(), s_.keys && s_.keys->Shift());
  bool encrypt = s_.settings.encryform;
  // The section's values as they are now; the page answers later.
  std::vector<std::pair<u16, u16>> entries;
  for (auto& [name, value] : file.doc().Entries(*section))
    entries.emplace_back(ToLower(name), file.StoredValue(*section, name).value_or(u""));
  CChildFrame* tab = s_.tabs.ActiveChild();
  WalkFields(v, [this, tab, entries, submit, encrypt](std::vector<PageField> fields) {
    CVOPView* view = s_.tabs.ActiveView();
    // The tab may have gone or another may be in front while the page answered.
    if (!view || s_.tabs.ActiveChild() != tab) return;
    auto stored = [&entries](u16view name) -> std::optional<u16> {
      u16 key = ToLower(name);
      for (const auto& [n, value] : entries)
        if (n == key) return value;  // the first of a name wins, as in the file
      return std::nullopt;
    };
    Apply(view, PlanFill(fields, stored, encrypt), submit);
  });
}

void FormFillController::Apply(CVOPView* view, const FillPlan& plan, bool submit) {
  if (plan.actions.empty() && !(submit && plan.formOf >= 0)) return;
  u16 script = FromUtf8(kFormFieldsJs) + u"(" + FromUtf8(kFormApplyJs) + u"(" +
               JsStringLiteral(SerializePlan(plan, submit)) + u"))";
  std::weak_ptr<bool> alive = alive_;
  int count = plan.count;
  view->RunScript(script, [this, alive, count](const ScriptResult& r) {
    if (!alive.lock() || !r.ok) return;
    if (count > 0) s_.tabs.SetStatusText(kFilledCount + Format(u"%d", count));
  });
}

void FormFillController::ShowManager() {
  if (!dialogs_) return;
  if (!master_.empty()) {
    std::optional<u16> typed = dialogs_->AskPassword();
    if (!typed) return;
    if (EncodePassword(*typed) != master_) {
      if (s_.prompts) s_.prompts->Message(kWrongPassword);
      return;
    }
  }
  bool encrypt = s_.settings.encryform;
  FormManager manager(DataPath(), encrypt,
                      {.deleteAll = [this] { s_.tabs.PostCommand(cmd::kDeleteFormDataAsked); },
                       .setMaster = [this](const u16& encoded) { SetMasterPassword(encoded); }});
  if (!dialogs_->ShowManager(manager)) return;
  if (manager.encrypt != encrypt) {
    s_.settings.encryform = manager.encrypt;
    WriteConfigInt(u"GENERAL", u"encryform", manager.encrypt ? 1 : 0);
  }
}

void FormFillController::DeleteFormData() { ::unlink(DataPath().c_str()); }

}  // namespace zel
