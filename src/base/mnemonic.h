// Labels of the resource tables for GTK.
#pragma once

#include "base/text.h"

namespace zel {

// "退出(&X)" -> "退出(_X)"; "&&" is a literal "&", a literal "_" is doubled.
u16 MnemonicToGtk(u16view text);

}  // namespace zel
