// Filling the drop-down list of a text combo box in one go. Rows appended one at a time
// each wake the combo box; a list built apart and then handed over is one update. The
// drop-down is a menu with a widget per row, so it shows the first kMaxComboRows rows of
// a longer list (the most recent ones: histories are kept newest first): 100 000 rows
// would take minutes to build and could not be used once built.
#pragma once

#include <gtkmm.h>

#include <string>
#include <vector>

namespace zel {

inline constexpr size_t kMaxComboRows = 500;

void FillComboList(Gtk::ComboBoxText& box, const std::vector<std::string>& rows);

}  // namespace zel
