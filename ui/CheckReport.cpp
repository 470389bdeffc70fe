#include "ui/CheckReport.h"

#include "ui/Texts.h"

#include <Poco/Exception.h>

#include <windows.h>

namespace CheckReport {

namespace {

const wchar_t* const stepNames[stepCount] = {
    L"Połączenie z serwerem", L"Logowanie",         L"Katalog na serwerze",
    L"Zapis pliku próbnego",  L"Pobranie przez link", L"Usunięcie pliku próbnego",
};

// What most often makes each step fail, in the user's terms.
const wchar_t* const stepHints[stepCount] = {
    L"Sprawdź adres serwera, port i protokół (FTP czy SFTP).",
    L"Sprawdź nazwę użytkownika i hasło (przy SFTP z kluczem: plik klucza i jego hasło).",
    L"Katalog nie istnieje albo konto nie ma do niego dostępu: sprawdź pole „Katalog na serwerze”.",
    L"Serwer nie pozwolił zapisać pliku: sprawdź uprawnienia do katalogu i wolne miejsce.",
    L"Nie można pobrać pliku z serwera WWW: sprawdź link.",
    L"Usuń plik próbny z serwera ręcznie.",
};

std::wstring failureText(const std::exception_ptr& failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const Poco::Exception& e) {
        return Texts::failure(e);
    } catch (...) {
        return Texts::unknownError;
    }
}

std::wstring webHint(const Report& report)
{
    if (report.link.empty())
        return L"Pole z linkiem jest puste: kontakt nie dostanie linku.";
    std::wstring tried = L"\n  Sprawdzony link: " + report.link;
    if (report.webStatus == 404)
        return L"Serwer WWW nie ma tego pliku (404 " + std::wstring(report.webReason.begin(), report.webReason.end()) +
               L"): link nie wskazuje na katalog na serwerze (może o jeden katalog, np. public_html, za dużo "
               L"albo za mało)." + tried;
    if (report.contentDiffers)
        return L"Pod linkiem jest inny plik niż zapisany: link wskazuje na inny katalog." + tried;
    if (report.webStatus != 0)
        return L"Serwer WWW odpowiedział " + std::to_wstring(report.webStatus) + L" " +
               std::wstring(report.webReason.begin(), report.webReason.end()) +
               L": kontakt też nie pobierze pliku." + tried;
    return stepHints[fetchLink] + tried;
}

std::wstring stepText(const Report& report, int step)
{
    const Outcome& outcome = report.steps[step];
    std::wstring text = std::wstring(stepNames[step]) + L": ";
    if (!outcome.reached)
        return text + L"pominięto";
    if (outcome.ok)
        return text + L"OK";
    text += L"BŁĄD";
    if (outcome.failure)
        text += L"\n  " + failureText(outcome.failure);
    if (step == fetchLink)
        return text + L"\n  " + webHint(report);
    text += L"\n  " + std::wstring(stepHints[step]);
    if (step == removeProbe)
        text += L" (" + report.probeName + L")";
    return text;
}

bool allOk(const Report& report)
{
    for (const Outcome& outcome : report.steps)
        if (!outcome.ok)
            return false;
    return true;
}

}

std::wstring text(const Report& report)
{
    std::wstring text = allOk(report) ? L"Ustawienia działają: plik próbny zapisano na serwerze, pobrano przez link "
                                        L"i usunięto.\n"
                                      : L"Ustawienia nie działają.\n";
    for (int step = 0; step < stepCount; ++step)
        text += L"\n" + stepText(report, step);
    return text;
}

void show(const Report& report)
{
    MessageBoxW(nullptr, text(report).c_str(), L"Vornix - Sprawdzenie ustawień",
                allOk(report) ? MB_ICONINFORMATION : MB_ICONWARNING);
}

}
