// File helpers. Paths are UTF-8 std::string with "/" separators.
#pragma once

#include <optional>
#include <string>
#include <vector>
#include <string>

#include "base/text.h"

namespace zel {

bool FileExists(const std::string& path);
bool DirExists(const std::string& path);
// The folder part of a path, without the trailing "/" ("" when there is none).
std::string DirName(const std::string& path);
std::string BaseName(const std::string& path);
// Joins with exactly one "/" between the parts.
std::string JoinPath(const std::string& a, const std::string& b);

// Creates every missing level of a folder path in turn; the root is never created and
// creation stops at the first failure. True when the folder exists afterwards.
bool CreateFolderLevels(const std::string& dir);

// Whole-file read. nullopt when the file cannot be opened.
std::optional<std::string> ReadFileBytes(const std::string& path);
// Whole-file read that tells a file that is not there from one that cannot be read (no
// permission, an I/O error, a folder in its place).
enum class ReadStatus { Ok, Missing, Failed };
ReadStatus ReadFileBytes(const std::string& path, std::string* out);

// Profile files that exist but could not be read (no permission, an I/O error, a folder in
// their place): the browser runs on defaults for them and never writes them. Each is noted
// once a run; the frame takes the new ones to tell the user.
void NoteUnreadableFile(const std::string& path);
std::vector<std::string> TakeUnreadableFiles();

// Writes to a temporary file in the same folder, flushes it and renames it over path, so
// readers see either the old or the new file, never a torn one. Keeps the old file's mode.
// durable: synced before the rename (off only where many files are synced together after).
bool WriteFileAtomic(const std::string& path, const std::string& bytes, bool durable = true);

// A process killed between creating WriteFileAtomic's temporary file (".<name>.XXXXXX"
// beside the file) and renaming it leaves the temporary behind. Removes those in folder
// that were last written before `before` (seconds and nanoseconds of the wall clock:
// the start of the running process), so a write in progress now is never touched.
// Returns how many went.
size_t RemoveStaleTempFiles(const std::string& folder, long long beforeSec, long beforeNsec);

// Raw UTF-16LE text files without byte-order mark handling on write.
// Read: the whole file as 16-bit units (a leading FF FE mark is dropped; an odd last byte
// is ignored).
std::optional<u16> ReadUtf16LeFile(const std::string& path);
bool AppendUtf16LeFile(const std::string& path, u16view text);
bool WriteUtf16LeFileAtomic(const std::string& path, u16view text);
std::string EncodeUtf16Le(u16view text);
u16 DecodeUtf16Le(std::string_view bytes);

// The folder of the running executable ("" when unknown).
std::string ExecutableFolder();

// Clears a read-only state: gives the owner write permission.
bool MakeWritable(const std::string& path);

}  // namespace zel
