#pragma once
// Where the program keeps its per-user settings, window placement, and the
// maker's company information.
//
// Layout under HKEY_CURRENT_USER:
//   Software\Halvery\                 the maker's key; its values are CompanyInfo
//   Software\Halvery\<program>        one key per program (executable base name)
//   Software\Halvery\<program>\<form> placement of one window (its objectName):
//       Left, Top, Width, Height (outer bounds), WinState (0 normal,
//       1 minimised, 2 maximised) as integers, Visible as the text "0"/"1".
#include <string>

class QWidget;
class QSize;

extern const std::string MakerRegKey;  // "Software\Halvery\"

// MakerRegKey followed by the running executable's name without folder and extension.
std::string AppRegistryKey();
// The same for a given executable path.
std::string AppRegistryKeyFor(const std::string& executablePath);

// The shared files folder, with a trailing "/": the per-machine value
// Software\Microsoft\Windows\CurrentVersion\CommonFilesDir, or "/usr/share/"
// when it is missing, empty or unreadable. Never fails.
std::string CommonFilesFolder();

// Applies the stored placement of a window (under its objectName) and keeps it
// on the primary screen. Missing or unreadable values leave the window as it is.
void RestoreFormPlacement(QWidget* form, bool restoreVisible, bool restoreSize);
// The same against a given screen size instead of the primary screen's.
void RestoreFormPlacement(QWidget* form, bool restoreVisible, bool restoreSize, const QSize& screen);
// Writes the window's current placement. Errors of the store pass to the caller
// (ERegistryException); a store that cannot be parsed is never overwritten.
void SaveFormPlacement(QWidget* form);

// The maker's company information, values of Software\Halvery.
struct TCompanyInfo {
  std::string company;
  std::string description;
  std::string logo;
  std::string addr1;
  std::string addr2;
  std::string code;
  std::string country;
  std::string email;
  std::string web;
  std::string tel;
  std::string fax;
  std::string user;
};

// Reads the block from the store; main calls it once, before any window.
void LoadCompanyInfo();
// The block as loaded (loaded on first use if LoadCompanyInfo was not called).
const TCompanyInfo& CompanyInfo();
