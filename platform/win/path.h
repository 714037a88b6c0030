#pragma once
// Paths as the system writes them: ANSI (GBK) texts in which "\" and "/" both
// separate folders, as the platform reads them ("zbjs_xml\" + code + ".xml").
// The file system below takes UTF-8 paths with "/"; ToSystemPath and
// FromSystemPath cross that boundary. Separators are found character by
// character, so the second byte of a double-byte character (which may be the
// code of "\") is never taken for one.
#include <string>
#include <string_view>

namespace win {

// The separator this system ends a folder with.
inline constexpr char kPathSeparator = '/';

// GBK path -> UTF-8 path with "/" for every "\".
std::string ToSystemPath(std::string_view ansi_path);
// UTF-8 path of the file system -> GBK path (unmappable characters become "?").
std::string FromSystemPath(std::string_view system_path);

// True for "/" and "\".
constexpr bool IsPathSeparator(char c) { return c == '/' || c == '\\'; }

// dir + name with one separator between them; name alone when dir is empty.
std::string PathJoin(std::string_view dir, std::string_view name);
// The part up to and including the last "/", "\" or ":"; empty when there is none.
std::string ExtractFilePath(std::string_view path);
// The part after the last "/", "\" or ":".
std::string ExtractFileName(std::string_view path);

// True when the (GBK) path names an existing regular file.
bool FileExists(std::string_view ansi_path);
// True when the (GBK) path names an existing folder.
bool DirectoryExists(std::string_view ansi_path);
// Removes the (GBK) file; true on success.
bool DeleteFile(std::string_view ansi_path);

// Copies the file; when the target exists it is replaced, unless
// fail_if_exists is set, in which case the copy fails. The copy is written to
// a temporary file beside the target and renamed over it, so the target is
// either the old file or the whole new one. True on success; on failure
// GetLastError() tells why.
bool CopyFile(std::string_view from_ansi, std::string_view to_ansi, bool fail_if_exists);

// The whole file's bytes into content; false (content untouched) when it
// cannot be read.
bool ReadFile(std::string_view ansi_path, std::string& content);
// Replaces the file by content the way CopyFile does (temporary file beside
// it, then renamed over it); creates it when missing. True on success.
bool WriteFile(std::string_view ansi_path, std::string_view content);

}  // namespace win
