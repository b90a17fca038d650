// CommandBars.ini, the profile's layout file: a section for each owner ("CommandBars" for the
// bars, "ZELSide" for the side panes).
#pragma once

#include <functional>
#include <string>

#include "settings/frame_settings.h"

namespace zel {

std::string LayoutFilePath();
// The file's text as this run found it, read once for all the sections' owners ("" on a
// first run, which lays everything out by default, and without a file).
const std::string& LayoutFileAtStart(FrameSettings& settings);
// Writes the file as render makes it from the text on disk (one section replaced, the
// others kept); false when the file cannot be read (it is then left alone) or written.
bool RewriteLayoutFile(const std::function<std::string(const std::string& fileBytes)>& render);

}  // namespace zel
