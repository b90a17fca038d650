// The form filler: saves the values typed into the active page's fields (1003 under the
// page's address, 1004 as general data), types them back (1005), opens the form-data
// manager (1093) and deletes the form-data file (1016). Filling is always explicit: a
// finished page is left alone.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "formfill/form_rules.h"
#include "services/frame_controller.h"
#include "services/frame_services.h"

namespace zel {

class CVOPView;
class FormDialogsView;

inline constexpr char16_t kWrongPassword[] = u"密码错误";          // 924
inline constexpr char16_t kSavedCount[] = u"表单数据保存计数:";    // 176
inline constexpr char16_t kFilledCount[] = u"表单数据填充计数:";   // 178
inline constexpr char16_t kFillTooltip[] = u"填表";

class FormFillController : public FrameController {
 public:
  explicit FormFillController(const FrameServices& services);
  ~FormFillController() override;

  // The dialogs (the window's); without them nothing that asks a password or shows the
  // manager happens.
  void SetDialogs(FormDialogsView* dialogs) { dialogs_ = dialogs; }

  void SaveForm(bool general);  // 1003, 1004
  void FillForm();              // 1005
  void ShowManager();           // 1093
  void DeleteFormData();        // 1016

  // The master password in the password encoding ("" for none).
  const u16& masterPassword() const { return master_; }
  // 571: a new one becomes the master password and is written to its file.
  void SetMasterPassword(const u16& encoded);

  static std::string DataPath();
  static std::string PasswordPath();

  void OnSettingsLoaded() override;

 private:
  // Runs the field walk on the view and hands over its fields; nothing when the page
  // could not answer or the controller is gone.
  void WalkFields(CVOPView* view, std::function<void(std::vector<PageField>)> done);
  void Apply(CVOPView* view, const FillPlan& plan, bool submit);
  bool CheckPassword(const u16& encoded);

  FrameServices s_;
  FormDialogsView* dialogs_ = nullptr;
  u16 master_;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace zel
