// Tells a keyboard-interactive prompt that asks for the account's password
// (PAM's "Password:" and its translations) from one that asks for anything
// else: a one-time code, a new password, the current one to change it.
#pragma once

#include <string>

namespace PasswordPrompt {

// `prompt` in UTF-8, as the server sent it.
bool asksForPassword(const std::string& prompt);

}
