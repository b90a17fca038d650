#include "platform/linux/combo_list.h"

namespace zel {

void FillComboList(Gtk::ComboBoxText& box, const std::vector<std::string>& rows) {
  // A text combo box keeps the text in column 0 and an id in column 1.
  GtkListStore* store = gtk_list_store_new(2, G_TYPE_STRING, G_TYPE_STRING);
  for (size_t i = 0; i < rows.size() && i < kMaxComboRows; ++i)
    gtk_list_store_insert_with_values(store, nullptr, -1, 0, rows[i].c_str(), -1);
  gtk_combo_box_set_model(GTK_COMBO_BOX(box.gobj()), GTK_TREE_MODEL(store));
  g_object_unref(store);
}

}  // namespace zel
