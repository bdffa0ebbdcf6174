// Archives through the device's archiver library ("\Windows\UNZip.dll", entries "UnZip" for ZIP
// and "Unlha" for LZH), driven by command strings; the archive's name asked through the device's
// file dialog library ("\Windows\getFiles.dll") or the platform's save dialog. Each library is
// loaded for the call and freed after it. Failures are shown over `owner` with the stop icon.
#pragma once

#include <windows.h>

#include <commdlg.h>

#include <span>
#include <string>

#include "fileops/core/archive.h"
#include "fileops/fileops.h"

namespace quintar::fileops {

// Which kinds the library can handle: each entry point must be there.
struct ArchiverKinds {
  bool lzh = false;
  bool zip = false;
};
ArchiverKinds ProbeArchiver();

// Hands `command` to the entry of `kind`; false (after the message) when the library or its entry
// is missing or it reports a failure.
bool RunArchiver(HWND owner, int kind, const std::wstring& command);

// Asks for a file with the device's file dialog library when it has the entry, else with the
// platform's dialog, on the same record; `deviceStartFolder` (when given) is where the device's
// dialog opens. False on Cancel.
bool AskFileName(OPENFILENAMEW& ofn, bool save, const wchar_t* deviceStartFolder = nullptr);

// The name of a new archive of `kind`, asked with the title "Compress Filename" starting in
// `folder`; false on Cancel.
bool AskArchiveName(HWND owner, int kind, const std::wstring& folder, std::wstring& archive);

// Packs `items` (rows of `base`) into `archive`. An archive that exists (the user agreed to replace
// it) is moved aside first and put back when the new one fails. An archive among the sources is
// refused. False when nothing was written.
bool CompressItems(HWND owner, const std::wstring& base, std::span<const FileItem> items, int kind,
                   const std::wstring& archive);

// Unpacks `folder`\`name` below `destination` (into a folder named after it with
// `createFolder`), creating the target folders first. On success `target` is where it went.
bool ExtractArchive(HWND owner, const std::wstring& folder, const std::wstring& name, const std::wstring& destination,
                    int kind, bool createFolder, std::wstring& target);

}  // namespace quintar::fileops
