#include "options/prefs_sheet.h"

namespace zel {

bool CSAPrefsSubDlg::Exchange(bool save) {
  if (!values_) return false;
  if (!save) {
    ShowValues(*values_);
    return true;
  }
  OptionsValues read = *values_;
  ReadControls(read);
  if (std::optional<u16> why = CheckPageValues(id_, read)) {
    failure_ = *why;
    FocusFailure();
    return false;
  }
  failure_.clear();
  *values_ = read;
  // Tidied values (a home page without its pasted line breaks) show as they are kept.
  ShowValues(*values_);
  return true;
}

void CSAPrefsSubDlg::RestoreDefaults() {
  if (!values_) return;
  RestorePageDefaults(id_, *values_);
  failure_.clear();
  ShowValues(*values_);
}

void CSAPrefsSubDlg::EditControls(const std::function<void(OptionsValues&)>& change) {
  if (!values_) return;
  OptionsValues shown = *values_;
  ReadControls(shown);
  change(shown);
  ShowValues(shown);
}

void OptionsSheet::AddPage(CSAPrefsSubDlg& page) {
  page.values_ = &values_;
  pages_.push_back(&page);
  page.Exchange(false);
  if (!shown_) shown_ = &page;
}

CSAPrefsSubDlg* OptionsSheet::page(OptionsPageId id) const {
  for (CSAPrefsSubDlg* p : pages_)
    if (p->id() == id) return p;
  return nullptr;
}

bool OptionsSheet::Show(OptionsPageId id) {
  CSAPrefsSubDlg* next = page(id);
  if (!next) return false;
  if (next == shown_) return true;
  if (shown_ && !shown_->Exchange(true)) return false;
  shown_ = next;
  // Values another page changed since (none do yet) reach the controls.
  next->Exchange(false);
  return true;
}

void OptionsSheet::RestoreShownDefaults() {
  if (shown_) shown_->RestoreDefaults();
}

std::optional<OptionsValues> OptionsSheet::Confirm() {
  if (shown_ && !shown_->Exchange(true)) return std::nullopt;
  return values_;
}

}  // namespace zel
