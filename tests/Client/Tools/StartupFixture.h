// Fixtures of the startup entries' tests: "Run" values and MSConfig records written in the
// 64-bit view (where the program keeps them under WOW64), Startup files, and a snapshot of every
// place the entries live in, to show that an operation changed nothing.
#ifndef VELMORA_TESTS_STARTUP_FIXTURE_H
#define VELMORA_TESTS_STARTUP_FIXTURE_H

#include <windows.h>

#include <string>
#include <vector>

namespace startupfixture {

extern const char* const RunKey;      // Software\Microsoft\Windows\CurrentVersion\Run
extern const char* const RunKey32;    // the same under Software\Wow6432Node
extern const char* const RegRecords;  // ...\MSConfig\startupreg
extern const char* const FolderRecords; // ...\MSConfig\startupfolder

// A value in the 64-bit view; the key is made when missing. data is the value's bytes (text
// values get their terminator from the caller's string: size = length + 1).
bool SetValue(HKEY root, const std::string& path, const char* name, DWORD type, const std::string& data);
bool SetText(HKEY root, const std::string& path, const char* name, const std::string& text,
             DWORD type = REG_SZ);

struct Value {
    bool present = false;
    DWORD type = REG_NONE;
    std::string data;   // the raw bytes
};
Value GetValue(HKEY root, const std::string& path, const char* name);
bool KeyExists(HKEY root, const std::string& path);
// Deletes the key and everything under it (64-bit view).
void DeleteTree(HKEY root, const std::string& path);

// A disabled registry record as the System Configuration tool writes it.
void WriteRegRecord(const std::string& name, const std::string& item, const std::string& command,
                    const std::string& key, const std::string& hkey);

// CSIDL_STARTUP, CSIDL_COMMON_STARTUP and "<windows>\pss" (no trailing "\").
std::string UserStartupFolder();
std::string CommonStartupFolder();
std::string BackupFolder();

bool WriteFile(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
std::string ReadFile(const std::string& path);

// Every value (type and bytes) of the three "Run" keys, every key and value under the two
// MSConfig keys, and every file (name and bytes) of both Startup folders and the backup folder,
// as one text.
std::string Snapshot();

}  // namespace startupfixture

#endif
