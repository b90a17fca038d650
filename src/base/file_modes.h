// Who may read what the browser writes: its own files are the user's alone.
#pragma once

#include <sys/types.h>

#include <string>

namespace zel {

// From here on what this process and the processes it starts create is the user's alone:
// files 0600, folders 0700 (the file mask; WriteFileAtomic's new files follow it too).
void MakeNewFilesOwnerOnly();
// The mode WriteFileAtomic gives a new file: 0666 less the file mask.
mode_t NewFileMode();
// The mode of a new file meant for the user's own folders (a download): 0666 less the mask
// the process was started with.
mode_t SharedFileMode();
// Takes group and other permissions off folder and everything under it (links left alone).
void NarrowToOwner(const std::string& folder);

}  // namespace zel
