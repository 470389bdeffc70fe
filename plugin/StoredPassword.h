// The FTP password as the settings keep it: protected with DPAPI for the
// current Windows user, so that another user, or whoever reads a copied disk
// or a backup of the profile, does not read it; a program running as the
// same user can still unprotect it. A plain value written by an earlier
// version is read as it stands and protected when the plug-in loads.
#pragma once

#include <string>

namespace StoredPassword {

// The password from the settings; false, with an empty password, when a
// protected value cannot be unprotected here (it was protected by another
// user or on another machine).
bool read(std::wstring& password);

// Stores the password protected (an empty one as it stands). False, with
// nothing stored, when DPAPI fails: the plain text is never written.
bool write(const std::wstring& password);

// Protects a plain password that an earlier version stored; false when DPAPI
// fails, and the value then stays as it was.
bool protectPlain();

// A protected value: a marker, then the base64 of CryptProtectData's output.
// Empty when DPAPI fails.
std::wstring protect(const std::wstring& password);

// The password from a stored value, plain or protected; false when a
// protected value cannot be unprotected.
bool unprotect(const std::wstring& stored, std::wstring& password);

}
