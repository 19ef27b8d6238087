// File helpers of the Win32 tests: scratch folders, whole-file reads, and
// folder trees read through the wide file functions.
#pragma once

#include <map>
#include <string>

// A new empty folder below the temporary folder (no trailing "\").
std::string ScratchFolder(const std::string& name);

bool PathExists(const std::string& path);
bool CopyInto(const std::string& source, const std::string& target);
std::string ReadWhole(const std::wstring& path);
void WriteWhole(const std::string& path, const std::string& content);

// Relative path -> content for every file below `root`, and "<folder>" for
// every folder.
std::map<std::wstring, std::string> ReadTree(const std::wstring& root);

std::wstring Wide(const std::string& text);

// The folder of the running test program, with a trailing "\".
std::string TestProgramFolder();
