// Watches the dialog windows that the plug-in creates on the user-interface
// thread (class #32770, created with the plug-in's instance): a CBT hook sees
// each one created and, just before its destruction, reads its texts; a
// call-window hook sees it shown, even by a ShowWindow from a job thread.
// Everything here runs on the user-interface thread.
#pragma once

#include <windows.h>

#include <map>
#include <string>

class Transcript;

class PluginWindows {
public:
    PluginWindows(Transcript& transcript, HMODULE plugin);
    ~PluginWindows();
    PluginWindows(const PluginWindows&) = delete;
    PluginWindows& operator=(const PluginWindows&) = delete;

    // Installs the hooks on the calling thread.
    void start();
    // "window ... open: ..." for each window still there, then stops watching.
    void reportOpenAndStop();
    // Destroys the windows still there, while the plug-in's code is loaded.
    void destroyRemaining();

private:
    static LRESULT CALLBACK cbtHook(int code, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK callHook(int code, WPARAM wParam, LPARAM lParam);
    void created(HWND window, const CREATESTRUCTW& create);
    void shown(HWND window);
    void destroyed(HWND window);
    void report(HWND window, const wchar_t* state);
    void stop();

    static PluginWindows* active;

    Transcript& transcript;
    HMODULE plugin;
    HHOOK cbt;
    HHOOK calls;
    std::map<HWND, bool> windows;  // each tracked window and whether it was ever visible
};
