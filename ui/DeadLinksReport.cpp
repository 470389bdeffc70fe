#include "ui/DeadLinksReport.h"

#include "ui/ErrorReport.h"

#include <windows.h>

namespace DeadLinksReport {

namespace {

std::wstring widened(const std::string& ascii)
{
    return std::wstring(ascii.begin(), ascii.end());
}

std::wstring answerOf(const DeadLink& dead)
{
    if (dead.failure)
        return L"nie można pobrać pliku: " + ErrorReport::textOf(dead.failure);
    std::wstring answer = L"serwer WWW odpowiedział " + std::to_wstring(dead.status) + L" " + widened(dead.reason);
    if (dead.status / 100 == 2)
        answer += L", ale podał rozmiar " + std::to_wstring(dead.servedSize) + L" B zamiast " +
                  std::to_wstring(dead.storedSize) + L" B";
    return answer;
}

}

std::wstring textOf(const std::vector<DeadLink>& links)
{
    std::wstring text = links.size() == 1
                            ? L"Link nie działa, więc nie wysłano go rozmówcy (jest tylko w oknie rozmowy, plik został "
                              L"na serwerze):"
                            : L"Te linki nie działają, więc nie wysłano ich rozmówcy (są tylko w oknie rozmowy, pliki "
                              L"zostały na serwerze):";
    for (const DeadLink& dead : links)
        text += L"\n" + dead.link + L": " + answerOf(dead);
    return text + L"\nPrzyczynę pomoże znaleźć przycisk „Sprawdź” na stronie opcji wtyczki.";
}

void show(const std::vector<DeadLink>& links)
{
    MessageBoxW(nullptr, textOf(links).c_str(), L"Vornix - Link nie działa", MB_ICONWARNING);
}

}
