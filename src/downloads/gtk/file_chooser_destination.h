// Where a download goes, asked with GTK's save dialog: in the download folder, with the
// suggested name, asking before an existing file is replaced. The dialog does not hold the
// main loop; the answer comes with its response.
#pragma once

#include <gtkmm.h>

#include "downloads/download_port.h"

namespace zel {

class FileChooserDestination : public DestinationPort {
 public:
  explicit FileChooserDestination(Gtk::Window* parent) : parent_(parent) {}
  void ChooseDestination(u16view folder, u16view name,
                         std::function<void(std::optional<u16>)> done) override;

 private:
  Gtk::Window* parent_;
};

}  // namespace zel
