// What "Usuń z serwera" in the list of sent files tells the user: a line for
// each chosen file that did not simply go, in one box captioned "Vornix".
#pragma once

#include <cstddef>
#include <exception>
#include <string>
#include <vector>

namespace SentFilesSummary {

std::wstring alreadyGone(const std::wstring& name);
std::wstring changedOnServer(const std::wstring& name);
std::wstring unconfirmed(const std::wstring& name);
std::wstring onOtherServer(const std::wstring& name, const std::wstring& server);
std::wstring failed(const std::wstring& name, const std::exception_ptr& failure);

// Asks whether to remove `name`, which the server cannot confirm to be the
// file sent; No is the default.
bool confirmRemoval(const std::wstring& name);

// How many of the chosen files went, then the lines; a warning when any
// file stays on the server. Waits until the user dismisses the box.
void show(size_t removed, size_t chosen, const std::vector<std::wstring>& lines, bool anyStays);

}
