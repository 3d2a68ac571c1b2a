// The program-wide paths of the self-update, fixed once per process by the start-up
// connection. Empty until DeriveUpdatePaths has run.
#pragma once

#include <string>

extern std::wstring sExeName;          // the running program's file name
extern std::wstring sUpdateFolder;     // the Update folder beside the server ini's folder
extern std::wstring sUpdateFolderArg;  // its §-form
extern std::wstring sExeFolder;        // the running program's folder
extern std::wstring sExeFolderArg;     // its §-form

// Sets the five values from the server ini's path.
void DeriveUpdatePaths(const std::wstring& serverIniPath);

// Every blank replaced by "§", so that a path travels as one word on a command line; and back.
std::wstring SectionSignForm(const std::wstring& path);
std::wstring FromSectionSignForm(const std::wstring& text);
