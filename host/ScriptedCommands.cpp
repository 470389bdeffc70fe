#include "host/ScriptedCommands.h"

#include "host/CommandLine.h"
#include "host/ContactList.h"
#include "host/FunctionRegistry.h"
#include "host/MenuService.h"
#include "host/OptionsService.h"
#include "host/OptionsWindow.h"
#include "host/PluginModule.h"
#include "host/Text.h"
#include "host/Transcript.h"

#include <algorithm>

namespace {

bool isCheckBox(HWND window)
{
    LONG type = GetWindowLongW(window, GWL_STYLE) & BS_TYPEMASK;
    return _wcsicmp(Text::windowClass(window).c_str(), L"Button") == 0 &&
           (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE || type == BS_AUTO3STATE);
}

std::wstring hex(DWORD value)
{
    wchar_t text[16];
    swprintf(text, 16, L"0x%08lX", static_cast<unsigned long>(value));
    return text;
}

}

ScriptedCommands::ScriptedCommands(const CommandLine& commandLine, const Parts& parts)
    : commandLine(commandLine), parts(parts)
{
}

int ScriptedCommands::run()
{
    const std::wstring& command = commandLine.command;
    if (command == L"info")
        return info();
    if (command == L"options")
        return options();
    if (command == L"send")
        return send();
    if (command == L"send-as-plugin")
        return sendAsPlugin();
    return clean();
}

int ScriptedCommands::info()
{
    const PluginInfo* info = parts.plugin.info();
    Transcript& out = parts.transcript;
    out.line(L"size=" + std::to_wstring(info->size));
    out.line(L"name=" + Text::copyOf(info->name));
    out.line(L"description=" + Text::copyOf(info->description));
    out.line(L"copyright=" + Text::copyOf(info->copyright));
    out.line(L"author=" + Text::copyOf(info->author));
    out.line(L"authorContact=" + Text::copyOf(info->authorContact));
    out.line(L"website=" + Text::copyOf(info->website));
    out.line(L"emptyText=" + Text::copyOf(info->emptyText));
    out.line(L"textCodePage=" + std::to_wstring(info->textCodePage));
    out.line(L"pluginVersion=" + hex(info->pluginVersion));
    out.line(L"minimumCoreVersion=" + hex(info->minimumCoreVersion));
    out.line(L"apiVersion=" + hex(info->apiVersion));
    out.line(L"pluginFlags=" + hex(info->pluginFlags));
    out.line(L"guid=" + Text::copyOf(info->guid));
    return 0;
}

// The page's edit boxes and check boxes, in child order, stand for the values
// in the order of CommandLine::optionKeys().
int ScriptedCommands::options()
{
    std::vector<OptionsService::Page> pages = parts.options.pages();
    auto own = std::find_if(pages.begin(), pages.end(),
        [&](const OptionsService::Page& page) { return page.module == parts.plugin.module(); });
    if (own == pages.end())
        return fail(L"the plug-in has no options page");
    size_t index = size_t(own - pages.begin());
    OptionsWindow window(parts.instance, parts.mainWindow, pages);
    window.open(index);
    std::vector<HWND> edits;
    std::vector<HWND> checks;
    for (HWND child = GetWindow(window.pageArea(index), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (_wcsicmp(Text::windowClass(child).c_str(), L"Edit") == 0)
            edits.push_back(child);
        else if (isCheckBox(child))
            checks.push_back(child);
    }
    if (edits.size() != 5 || checks.size() != 2) {
        window.cancel();
        return fail(L"the options page has " + std::to_wstring(edits.size()) + L" edit boxes and " +
                    std::to_wstring(checks.size()) + L" check boxes, not 5 and 2");
    }
    if (commandLine.commandArguments.empty()) {
        printPage(edits, checks);
        window.cancel();
    } else {
        fillPage(edits, checks);
        window.ok();
    }
    return 0;
}

int ScriptedCommands::send()
{
    ContactRecord contact = parts.contacts.record(0);
    return pick(L"WTW/Menu/Contact", L"WTW/Menu/Contact/Send", L"Wyślij plik na FTP...", &contact);
}

int ScriptedCommands::sendAsPlugin()
{
    if (!parts.registry.functionExists(L"wtwSkarvelin/sendFile"))
        return fail(L"no function wtwSkarvelin/sendFile");
    ContactRecord contact = parts.contacts.record(0);
    const std::vector<std::wstring>& arguments = commandLine.commandArguments;
    if (arguments.empty()) {
        SendFileRequest request = {nullptr, contact.id, contact.netClass, contact.netId};
        parts.registry.callFunction(L"wtwSkarvelin/sendFile", reinterpret_cast<WPARAM>(&request), 0);
    }
    // Several paths: several uploads at once, as other plug-ins may start them.
    for (const std::wstring& argument : arguments) {
        std::wstring path = CommandLine::windowsPath(argument);
        SendFileRequest request = {path.c_str(), contact.id, contact.netClass, contact.netId};
        parts.registry.callFunction(L"wtwSkarvelin/sendFile", reinterpret_cast<WPARAM>(&request), 0);
    }
    return 0;
}

int ScriptedCommands::clean()
{
    return pick(L"WTW/Menu/Main", L"WTW/Menu/Main/Opt", L"Usuń wszystkie pliki na serwerze FTP", nullptr);
}

int ScriptedCommands::pick(const std::wstring& menu, const std::wstring& submenu, const std::wstring& caption,
    ContactRecord* contact)
{
    std::vector<MenuService::Item> items = parts.menus.open(menu);
    auto item = std::find_if(items.begin(), items.end(),
        [&](const MenuService::Item& each) { return each.menuId == submenu && each.caption == caption; });
    if (item == items.end())
        return fail(L"no item \"" + caption + L"\" in the menu " + submenu);
    MenuCommandInfo command = {};
    command.contact = contact;
    item->handler(0, reinterpret_cast<LPARAM>(&command), item->userData);
    return 0;
}

int ScriptedCommands::fail(const std::wstring& message)
{
    parts.transcript.note(message);
    return 1;
}

void ScriptedCommands::printPage(const std::vector<HWND>& edits, const std::vector<HWND>& checks)
{
    const std::vector<std::wstring>& keys = CommandLine::optionKeys();
    for (size_t i = 0; i < edits.size(); ++i)
        parts.transcript.line(keys[i] + L"=" + Text::windowText(edits[i]));
    for (size_t i = 0; i < checks.size(); ++i) {
        bool checked = SendMessageW(checks[i], BM_GETCHECK, 0, 0) == BST_CHECKED;
        parts.transcript.line(keys[edits.size() + i] + (checked ? L"=1" : L"=0"));
    }
}

// WM_SETTEXT rather than keystrokes: a box without ES_AUTOHSCROLL takes typing
// only as far as it is wide, and long values must arrive whole.
void ScriptedCommands::fillPage(const std::vector<HWND>& edits, const std::vector<HWND>& checks)
{
    const std::vector<std::wstring>& keys = CommandLine::optionKeys();
    for (const std::wstring& assignment : commandLine.commandArguments) {
        size_t equals = assignment.find(L'=');
        std::wstring value = assignment.substr(equals + 1);
        size_t slot = size_t(std::find(keys.begin(), keys.end(), assignment.substr(0, equals)) - keys.begin());
        if (slot < edits.size())
            SendMessageW(edits[slot], WM_SETTEXT, 0, reinterpret_cast<LPARAM>(value.c_str()));
        else
            SendMessageW(checks[slot - edits.size()], BM_SETCHECK, value == L"1" ? BST_CHECKED : BST_UNCHECKED, 0);
    }
}
