// A conversation with one contact, for people: what plug-ins showed and sent,
// and a box to type into, whose lines join the history on Enter.
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
    // Shown, activated and the typing box given the keyboard focus, as when a
    // person is in the middle of a message.
    void startTyping();
    HWND typingBox() const { return input; }

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    static LRESULT CALLBACK inputProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR self);
    void layOut();

    HWND window;
    HWND history;
    HWND input;
};
