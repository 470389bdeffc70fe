// The messenger's options window: a list of pages, the selected page's area and
// OK/Cancel. It tells each page's handler what the user does, by action code:
//   the page is selected (also the first page when the window opens) -> 1 (show)
//   another page is selected -> 2 (hide) to the page being left, then 1 to the new one
//   OK -> 3 (save) to every page that got an event since the window opened
//   Cancel, Escape, the caption's close box or the owner closing -> 5 (cancel) to those same pages
// Each page draws into an area window of its own, given as the event's parent.
#pragma once

#include "host/OptionsService.h"

#include <windows.h>

#include <vector>

class OptionsWindow {
public:
    OptionsWindow(HINSTANCE instance, HWND owner, const std::vector<OptionsService::Page>& pages);
    ~OptionsWindow();
    OptionsWindow(const OptionsWindow&) = delete;
    OptionsWindow& operator=(const OptionsWindow&) = delete;

    // Creates the window with the page selected.
    void open(size_t page);
    bool isOpen() const;
    // The page's area: the plug-in's controls are its children.
    HWND pageArea(size_t page) const;
    void select(size_t page);
    void ok();
    void cancel();

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void createChildren();
    void tellPage(size_t page, DWORD action);
    // Every page that got an event since the window opened.
    void tellPages(DWORD action);
    void close(DWORD action);

    HINSTANCE instance;
    HWND owner;
    std::vector<OptionsService::Page> pages;
    HWND window;
    HWND list;
    HWND description;
    std::vector<HWND> areas;
    std::vector<bool> told;
    size_t current;
};
