#include "ui/SentFilesSummary.h"

#include "ui/ErrorReport.h"
#include "ui/Texts.h"

#include <windows.h>

namespace SentFilesSummary {

std::wstring alreadyGone(const std::wstring& name)
{
    return name + L": nie było go już na serwerze; usunięto go z listy.";
}

std::wstring changedOnServer(const std::wstring& name)
{
    return name + L": pod tą nazwą jest teraz na serwerze inny plik, więc go nie usunięto; usunięto go z listy.";
}

std::wstring unconfirmed(const std::wstring& name)
{
    return name + L": serwer nie potwierdził, że to plik, który wysłano, więc go nie usunięto.";
}

std::wstring onOtherServer(const std::wstring& name, const std::wstring& server)
{
    return name + L": jest na innym serwerze (" + server +
           L") niż ustawiony w opcjach, więc nie można go usunąć.";
}

std::wstring failed(const std::wstring& name, const std::exception_ptr& failure)
{
    return name + L": " + ErrorReport::textOf(failure);
}

bool confirmRemoval(const std::wstring& name)
{
    return MessageBoxW(nullptr, Texts::sentFileUnconfirmedQuestion(name).c_str(), L"Vornix",
                       MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

void show(size_t removed, size_t chosen, const std::vector<std::wstring>& lines, bool anyStays)
{
    std::wstring text = L"Z serwera usunięto " + std::to_wstring(removed) + L" z " + std::to_wstring(chosen) +
                        L" wybranych plików.";
    for (const std::wstring& line : lines)
        text += L"\n" + line;
    MessageBoxW(nullptr, text.c_str(), L"Vornix", anyStays ? MB_ICONWARNING : MB_ICONINFORMATION);
}

}
