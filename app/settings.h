// settings.ini beside the program: whether cut files go beside their source,
// the last source file (name and full path) and the output folder. Loaded
// once before the main window opens and saved once after it has closed;
// nothing else touches the file. The file is the platform's private-profile
// format in code page 936: section "设置", keys "bFolder", "文件", "文件夹",
// "输出". Every function here names g_state.szIniPath as the file.
#pragma once

// A text value is read into its state buffer but never more than this many
// bytes with the terminating zero; a longer value is cut.
constexpr unsigned kIniValueBytes = 1024;

// Fills bFolder, szFileTitle, szSourcePath and szOutputFolder of g_state
// from the file. Missing keys give 0 and empty texts; an empty output folder
// becomes the user's music folder (created when missing; left empty when the
// shell cannot name it). Logs "输出路径: ..." at the current indentation.
// Never fails visibly.
void LoadSettings();

// Writes the four values of g_state to the file, creating the file, the
// section or a key when missing and leaving other sections and keys alone.
// A file that cannot be written keeps its old content; nothing is reported.
void SaveSettings();

// The key's integer value; 0 when the key or the file is missing or the
// value is not a number.
int GetIniInt(const char* section, const char* key);

// Copies the key's text into buffer (at least kIniValueBytes bytes), cut at
// kIniValueBytes - 1 bytes; an empty text when the key is missing.
void GetIniString(const char* section, const char* key, char* buffer);

// Writes value as decimal text ("%d").
void PutIniInt(const char* section, const char* key, int value);

// Writes text as the key's value (an empty text gives an empty value). The
// result is not reported.
void PutIniString(const char* section, const char* key, const char* text);
