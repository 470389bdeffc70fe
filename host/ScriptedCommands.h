// The commands that script what a person would do: each one runs on the
// user-interface thread and returns 0 when it was carried out, 1 when it could
// not be (an item or page missing), after saying why.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

class CommandLine;
class OptionsWindow;
class ContactList;
class FunctionRegistry;
class MenuService;
class OptionsService;
class PluginModule;
class Transcript;
struct ContactRecord;

class ScriptedCommands {
public:
    struct Parts {
        Transcript& transcript;
        FunctionRegistry& registry;
        MenuService& menus;
        OptionsService& options;
        const ContactList& contacts;
        const PluginModule& plugin;
        HINSTANCE instance;
        HWND mainWindow;
    };

    ScriptedCommands(const CommandLine& commandLine, const Parts& parts);

    int run();

private:
    int info();
    int options();
    int check();
    bool openOwnPage(OptionsWindow& window, size_t& index);
    bool withAllControls(HWND page, int closeWith, const std::function<void(const std::vector<HWND>&)>& act);
    bool withPageControls(HWND page, const std::function<void(const std::vector<HWND>&)>& act);
    void pumpWhile(const std::function<bool()>& busy, DWORD milliseconds);
    int send();
    int sendAsPlugin();
    void callSendFile(const wchar_t* path);
    int clean();
    int clipboard();
    int sent();
    int sentDelete();
    HWND openSentFiles();
    bool selectRows(HWND list);
    void printSentFiles(HWND list);
    int pick(const std::wstring& menu, const std::wstring& submenu, const std::wstring& caption, ContactRecord* contact);
    int fail(const std::wstring& message);
    void printPage(const std::vector<HWND>& controls);
    void fillPage(const std::vector<HWND>& controls);

    const CommandLine& commandLine;
    Parts parts;
};
