// Message boxes with the program's own button labels: GTK's stock buttons would read
// "OK", "Yes" or "Close" under a locale the toolkit has no Chinese for.
#pragma once

#include <gtkmm.h>

#include <memory>
#include <string>

namespace zel {

enum class BoxButtons {
  Ok,             // "确定" (RESPONSE_OK)
  YesNo,          // "是" (RESPONSE_YES), "否" (RESPONSE_NO)
  ConfirmCancel,  // "确认" (RESPONSE_YES), "取消" (RESPONSE_NO)
  Close,          // "关闭" (RESPONSE_CLOSE)
};

// A modal message box over parent (none when null) titled title.
std::unique_ptr<Gtk::MessageDialog> MakeMessageBox(Gtk::Window* parent, const std::string& text,
                                                   const std::string& title,
                                                   Gtk::MessageType type, BoxButtons buttons);

// Runs one and answers its response.
int RunMessageBox(Gtk::Window* parent, const std::string& text, const std::string& title,
                  Gtk::MessageType type, BoxButtons buttons);

// The toolkit's and the engine's own words (file choosers, the print dialog, the engine's
// menus) in Chinese whatever the session's locale: called once GTK has set the locale up.
void UseChineseTranslations();

}  // namespace zel
