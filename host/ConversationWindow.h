// A conversation with one contact, for people: what plug-ins showed and sent.
#pragma once

#include <windows.h>

#include <string>

class ConversationWindow {
public:
    ConversationWindow(HINSTANCE instance, HWND owner, const std::wstring& contact);
    ~ConversationWindow();
    ConversationWindow(const ConversationWindow&) = delete;
    ConversationWindow& operator=(const ConversationWindow&) = delete;

    void append(const std::wstring& line);
    void show();

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window;
    HWND history;
};
