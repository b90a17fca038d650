// The files of the single-instance channel: where they live, what they are called, and
// the few operations on them that must never be tricked by another local user.
//
// The runtime folder is $XDG_RUNTIME_DIR when that is a private folder of ours; else
// <tmp>/zel-<uid>. In /tmp anybody can create that name first, so a folder is only used
// when it is a real directory (not a link) owned by us with no group or other access.
// When someone else holds <tmp>/zel-<uid>, the next names <tmp>/zel-<uid>.1, .2 ... are
// tried the same way: they are fixed names, so two starts of ours still meet in the same
// folder. Only when every one of them is taken does a start make a folder of its own with
// mkdtemp; it then cannot find (or be found by) another start and runs as the first
// browser.
//
// Every name in the folder carries a key of the program folder, so browsers of two
// profiles (two ZEL_HOMEs) each have their own lock, socket, mutex and shared text.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>

#include "base/text.h"

namespace zel {

// A directory (checked with lstat: a link is refused) owned by uid with no group or other
// permission bits.
bool FolderIsPrivate(const std::string& path, uid_t uid);

// The runtime folder by the rules above; tmpRoot is "/tmp" outside tests. Creates the
// folder (0700) when it is missing. "" only when not even mkdtemp works.
std::string ChooseRuntimeFolder(const char* xdgRuntimeDir, const std::string& tmpRoot,
                                uid_t uid);

// A short key of a program folder: the same for every spelling of one folder (links,
// "..", a trailing "/"), different for different folders.
std::string ProfileKey(const std::string& programFolder);

struct ChannelPaths {
  std::string folder;     // the runtime folder
  std::string firstLock;  // flock()ed by the first browser
  std::string socket;     // the running frame listens here
  std::string mutex;      // flock()ed by a sender for the whole hand-off
  std::string share;      // the shared text, kShareBytes long
};
ChannelPaths ChannelPathsFor(const std::string& folder, const std::string& profileKey);

// Opens (creating it 0600 when missing) a lock file without following a link in its
// place. -1 on failure.
int OpenLockFile(const std::string& path);

// Writes the shared text as a fresh file: whatever is at path (a stale file, a link) is
// unlinked first and the new file is created exclusively, so nothing is written through a
// link. The file stays until the sender removes it.
enum class ShareWrite { Written, NoFile, MapFailed };
ShareWrite WriteShareFile(const std::string& path, u16view text);

// Reads the shared text: nullopt when path is missing, is not a regular file (a link is
// not followed) or is shorter than the block.
std::optional<u16> ReadShareFile(const std::string& path);

}  // namespace zel
