// Test support: a drive C: that tests may fill and clear. On POSIX a fresh temporary folder
// stands for it; on Windows it is the real drive C: (under Wine, the prefix's drive_c).
#pragma once

#include <string>

/// Empties the files the tool works on and makes sure C:\rth exists.
void PrepareTestDrive();

/// Creates the folder `path` (for example L"C:\\rth\\sub").
void MakeDirectoryOnDrive(const std::wstring& path);

/// Removes the file or folder `path` with everything in it; no error when it is absent.
void RemoveFromDrive(const std::wstring& path);

/// True when `path` exists as a file or folder.
bool ExistsOnDrive(const std::wstring& path);
