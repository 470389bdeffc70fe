#include "host/Transcript.h"

#include "host/Text.h"

Transcript::Transcript()
{
    InitializeCriticalSection(&lock);
}

Transcript::~Transcript()
{
    DeleteCriticalSection(&lock);
}

void Transcript::line(const std::wstring& text)
{
    write(STD_OUTPUT_HANDLE, Text::oneLine(text));
}

void Transcript::note(const std::wstring& text)
{
    write(STD_ERROR_HANDLE, L"vornix-host: " + Text::oneLine(text));
}

void Transcript::seal()
{
    EnterCriticalSection(&lock);
}

void Transcript::write(DWORD stream, const std::wstring& text)
{
    std::string bytes = Text::utf8(text) + "\n";
    EnterCriticalSection(&lock);
    DWORD written = 0;
    WriteFile(GetStdHandle(stream), bytes.data(), DWORD(bytes.size()), &written, nullptr);
    LeaveCriticalSection(&lock);
}
