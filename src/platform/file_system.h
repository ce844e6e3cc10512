#pragma once

#include <optional>
#include <string>

// The few file-system operations the engine needs, on std::filesystem. None of them throws:
// a failure is a false (or empty) result the caller turns into its own message.
namespace vx {

bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);
// Creates the folder and any missing parents; true when it exists afterwards.
bool CreateFolder(const std::string& path);
// Deletes a file (never a folder); true when the file is gone afterwards.
bool DeleteFile(const std::string& path);
// Creates an empty text file; with overwrite off an existing file is left alone and the call
// fails.
bool CreateTextFile(const std::string& path, bool overwrite = true);
// The short (8.3) name of an existing file. This file system has no such aliases, so a file's
// short name is its own name; empty when the file does not exist.
std::optional<std::string> ShortName(const std::string& path);
// Size of a regular file, empty when it cannot be read.
std::optional<unsigned long long> FileSize(const std::string& path);
bool CopyFile(const std::string& from, const std::string& to, bool overwrite);
bool RenameFile(const std::string& from, const std::string& to);

}  // namespace vx
