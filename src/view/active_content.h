// Files a page may not start downloading by itself while downloads of active content are
// banned (the page-element bit kElementNoActiveXDownload): programs and browser plug-ins.
#pragma once

#include "base/text.h"

namespace zel {

// Whether a download named fileName (its last path part or the suggested name) with the
// MIME type mime is a program or a plug-in: by the name's extension, else by the type.
bool IsProgramOrPlugin(u16view fileName, u16view mime);

}  // namespace zel
